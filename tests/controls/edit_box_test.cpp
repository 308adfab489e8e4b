// Edit boxes made from their settings: styles, the messages sent at
// creation, the least height, the spinner and the keys a box wants.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "controls_fixture.h"
#include "runtime/win/runtime_state.h"
#include "runtime/win/units.h"
#include "ui/main_window.h"

namespace {

constexpr uint32_t kStylesWindow = 0x52020001;
constexpr DWORD kBorderExStyles = WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME | WS_EX_STATICEDGE;
constexpr DWORD kKindStyles = ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | ES_NOHIDESEL |
                              ES_CENTER | ES_RIGHT | ES_READONLY | ES_PASSWORD | ES_LOWERCASE | ES_UPPERCASE |
                              WS_HSCROLL | WS_VSCROLL | WS_BORDER;

struct StyleCase {
  const char* name;  // as commented in edit_styles.form, in its order
  DWORD style;       // exactly these of kKindStyles
  DWORD exStyle;     // exactly these of kBorderExStyles
};

constexpr DWORD kOneLine = ES_AUTOHSCROLL;
constexpr DWORD kMultiLine = ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;

const StyleCase kStyleCases[] = {
    {"defaults", kOneLine, WS_EX_CLIENTEDGE},
    {"BorderStyle 0", kOneLine, 0},
    {"BorderStyle 1", kOneLine, WS_EX_CLIENTEDGE},
    {"BorderStyle 2", kOneLine, WS_EX_DLGMODALFRAME},
    {"BorderStyle 3", kOneLine, WS_EX_STATICEDGE},
    {"BorderStyle 4", kOneLine, WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME},
    {"BorderStyle 5", kOneLine | WS_BORDER, 0},
    {"BorderStyle 9", kOneLine, 0},
    {"HideSelection 0", kOneLine | ES_NOHIDESEL, WS_EX_CLIENTEDGE},
    {"MultiLine 1 ScrollBars 0", kMultiLine, WS_EX_CLIENTEDGE},
    {"MultiLine 1 ScrollBars 1", kMultiLine | ES_AUTOHSCROLL | WS_HSCROLL, WS_EX_CLIENTEDGE},
    {"MultiLine 1 ScrollBars 2", kMultiLine | WS_VSCROLL, WS_EX_CLIENTEDGE},
    {"MultiLine 1 ScrollBars 3", kMultiLine | ES_AUTOHSCROLL | WS_HSCROLL | WS_VSCROLL, WS_EX_CLIENTEDGE},
    {"MultiLine 0 ScrollBars 3", kOneLine, WS_EX_CLIENTEDGE},
    {"Alignment 1", kOneLine | ES_CENTER, WS_EX_CLIENTEDGE},
    {"Alignment 2", kOneLine | ES_RIGHT, WS_EX_CLIENTEDGE},
    {"InputMode 1", kOneLine | ES_READONLY, WS_EX_CLIENTEDGE},
    {"InputMode 2", kOneLine | ES_PASSWORD, WS_EX_CLIENTEDGE},
    {"InputMode 7", kOneLine, WS_EX_CLIENTEDGE},
    {"CaseConversion 1", kOneLine | ES_LOWERCASE, WS_EX_CLIENTEDGE},
    {"CaseConversion 2", kOneLine | ES_UPPERCASE, WS_EX_CLIENTEDGE},
};

TEST(EditBoxTest, StylesAndExtendedStylesFollowTheSettings) {
  LoadedForm form(TestForm("edit_styles.form"), kStylesWindow);
  for (size_t i = 0; i < std::size(kStyleCases); ++i) {
    const StyleCase& c = kStyleCases[i];
    HWND box = form.control(0x16020001 + static_cast<uint32_t>(i));
    ASSERT_NE(box, nullptr) << c.name;
    char className[16] = {};
    GetClassNameA(box, className, sizeof className);
    EXPECT_STREQ(className, "Edit") << c.name;
    const DWORD style = static_cast<DWORD>(GetWindowLongA(box, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongA(box, GWL_EXSTYLE));
    EXPECT_EQ(style & kKindStyles, c.style) << c.name << std::hex << ": style " << style;
    EXPECT_EQ(exStyle & kBorderExStyles, c.exStyle) << c.name << std::hex << ": extended style " << exStyle;
    EXPECT_EQ(style & (WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP), WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP) << c.name;
  }
}

TEST(EditBoxTest, BorderStyleChangesTheFrameNotJustTheBits) {
  LoadedForm form(TestForm("edit_styles.form"), kStylesWindow);
  // Client area inset from the outer rectangle, per side, by BorderStyle 0..5.
  const int expectedInset[] = {0, GetSystemMetrics(SM_CXEDGE), -1, GetSystemMetrics(SM_CXBORDER),
                               -1, GetSystemMetrics(SM_CXBORDER)};
  for (int border = 0; border <= 5; ++border) {
    HWND box = form.control(0x16020002 + static_cast<uint32_t>(border));
    RECT outer, client;
    GetWindowRect(box, &outer);
    GetClientRect(box, &client);
    MapWindowPoints(box, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const int inset = client.left - outer.left;
    if (expectedInset[border] >= 0)
      EXPECT_EQ(inset, expectedInset[border]) << "BorderStyle " << border;
    else  // raised frames: wider than the sunken edge
      EXPECT_GT(inset, GetSystemMetrics(SM_CXEDGE)) << "BorderStyle " << border;
  }
}

struct CreationCase {
  const char* settings;
  int limit;         // EM_GETLIMITTEXT; -1: the system's largest (at least 0x7FFE)
  char passwordChar; // EM_GETPASSWORDCHAR; 0: none
  DWORD selStart, selEnd;
};

// A one-box form with the settings given.
std::string OneBoxForm(const std::string& settings) {
  return "qqform 1\nunit 窗口 0x520A0001 \"\"\n  Width 400\n  Height 200\n  Caption \"one box\"\n"
         "  unit 编辑框 0x160A0001 \"box\"\n    Left 10\n    Top 10\n    Width 200\n    Height 30\n" +
         settings + "\n  end\nend\n";
}

TEST(EditBoxTest, LimitPasswordCharAndSelectionAreSentAtCreation) {
  const CreationCase cases[] = {
      {"    Content \"abcdefgh\"", -1, 0, 0, 0},
      {"    MaxLength 3\n    Content \"ab\"", 3, 0, 0, 0},
      {"    MaxLength -7", -1, 0, 0, 0},
      {"    InputMode 2\n    Content \"secret\"", -1, '*', 0, 0},
      {"    InputMode 2\n    PasswordChar \"#\"", -1, '#', 0, 0},
      {"    InputMode 2\n    PasswordChar \"\\x00\"", -1, '*', 0, 0},
      {"    InputMode 0\n    PasswordChar \"#\"", -1, 0, 0, 0},
      {"    Content \"abcdefgh\"\n    SelectionStart 2\n    SelectionLength 3", -1, 0, 2, 5},
      {"    Content \"abcdefgh\"\n    SelectionStart 6", -1, 0, 6, 6},
      {"    Content \"abcdefgh\"\n    SelectionStart 3\n    SelectionLength 2147483647", -1, 0, 3, 8},
  };
  for (const CreationCase& c : cases) {
    LoadedForm form(OneBoxForm(c.settings), 0x520A0001);
    HWND box = form.control(0x160A0001);
    ASSERT_NE(box, nullptr) << c.settings;
    const LRESULT limit = SendMessageA(box, EM_GETLIMITTEXT, 0, 0);
    if (c.limit < 0)
      EXPECT_GE(limit, 0x7FFE) << c.settings;
    else
      EXPECT_EQ(limit, c.limit) << c.settings;
    EXPECT_EQ(SendMessageA(box, EM_GETPASSWORDCHAR, 0, 0), static_cast<unsigned char>(c.passwordChar)) << c.settings;
    DWORD start = 99, end = 99;
    SendMessageA(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, c.selStart) << c.settings;
    EXPECT_EQ(end, c.selEnd) << c.settings;
  }
}

std::string BoxText(HWND box) {
  char text[256] = {};
  GetWindowTextA(box, text, sizeof text);
  return text;
}

TEST(EditBoxTest, TypedCharactersObeyCaseConversionReadOnlyAndLimit) {
  const struct {
    const char* settings;
    const char* typed;
    const char* expected;
  } cases[] = {
      {"    CaseConversion 2", "abC", "ABC"},
      {"    CaseConversion 1", "ABc", "abc"},
      {"    CaseConversion 0", "aBc", "aBc"},
      {"    InputMode 1\n    Content \"kept\"", "abc", "kept"},
      {"    InputMode 9", "a1b2", "a1b2"},
      {"    MaxLength 2", "abcd", "ab"},
  };
  for (const auto& c : cases) {
    LoadedForm form(OneBoxForm(c.settings), 0x520A0001);
    HWND box = form.control(0x160A0001);
    for (const char* p = c.typed; *p; ++p) PostMessageA(box, WM_CHAR, static_cast<unsigned char>(*p), 1);
    PumpMessages();
    EXPECT_EQ(BoxText(box), c.expected) << c.settings;
  }
}

// The height of "吴" in the font plus twice SM_CYEDGE, measured here on its own.
int LeastHeight(HFONT font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size = {};
  GetTextExtentPoint32W(dc, L"\u5434", 1, &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size.cy + 2 * GetSystemMetrics(SM_CYEDGE);
}

RECT PlaceOnParent(HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

TEST(EditBoxTest, OneLineBoxesAreMadeAtLeastAsTallAsTheirFontNeeds) {
  LoadedForm form(TestForm("least_height.form"), 0x52040001);
  const HFONT guiFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  HWND bigFontBox = form.control(0x16040004);
  const HFONT bigFont = reinterpret_cast<HFONT>(SendMessageA(bigFontBox, WM_GETFONT, 0, 0));
  ASSERT_NE(bigFont, guiFont);
  const struct {
    uint32_t id;
    const char* name;
    int left, top, width, height;  // expected place on the window
  } cases[] = {
      {0x16040001, "one-line, 5 high", 10, 12, 150, LeastHeight(guiFont)},
      {0x16040002, "one-line, 100 high", 10, 40, 150, 100},
      {0x16040003, "multi-line, 5 high", 200, 12, 150, 5},
      {0x16040004, "one-line, 20 high, 40-pixel font", 200, 40, 150, LeastHeight(bigFont)},
      {0x16040005, "one-line, 5 high, 59-byte font", 400, 12, 150, LeastHeight(guiFont)},
      {0x16040006, "one-line, 5 high, no frame", 400, 40, 150, LeastHeight(guiFont)},
  };
  EXPECT_GT(LeastHeight(bigFont), 40);
  for (const auto& c : cases) {
    RECT place = PlaceOnParent(form.control(c.id));
    EXPECT_EQ(place.left, c.left) << c.name;
    EXPECT_EQ(place.top, c.top) << c.name;
    EXPECT_EQ(place.right - place.left, c.width) << c.name;
    EXPECT_EQ(place.bottom - place.top, c.height) << c.name;
  }
}

TEST(EditBoxTest, AddressFieldKeepsItsHeightAndWrapsLongText) {
  LoadedForm form(ReadSourceFile("ui/main_window.form"), kMainWindowId);
  HWND address = form.control(kAddressBoxId);
  ASSERT_NE(address, nullptr);
  SetWindowTextA(address, "");
  SetFocus(address);
  TypeKeys(address, "www.example.com/a/rather/long/path/that/cannot/fit/on/one/line/of/this/box");
  PumpFor(50);
  RECT outer;
  GetWindowRect(address, &outer);
  EXPECT_EQ(outer.bottom - outer.top, 28);
  EXPECT_EQ(outer.right - outer.left, 274);
  EXPECT_GE(SendMessageA(address, EM_GETLINECOUNT, 0, 0), 2);
  // The caret's line scrolled into view; nothing scrolled sideways.
  EXPECT_GE(SendMessageA(address, EM_GETFIRSTVISIBLELINE, 0, 0), 1);
  const DWORD style = static_cast<DWORD>(GetWindowLongA(address, GWL_STYLE));
  EXPECT_EQ(style & (WS_HSCROLL | WS_VSCROLL | ES_AUTOHSCROLL), 0u);
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_POS;
  EXPECT_FALSE(GetScrollInfo(address, SB_HORZ, &info) && info.nPos != 0);
}

TEST(EditBoxTest, TheFocusSinkHasEveryDefault) {
  LoadedForm form(ReadSourceFile("ui/main_window.form"), kMainWindowId);
  HWND sink = form.control(kFocusSinkBoxId);
  ASSERT_NE(sink, nullptr);
  const DWORD style = static_cast<DWORD>(GetWindowLongA(sink, GWL_STYLE));
  EXPECT_EQ(style & kKindStyles, kOneLine);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(sink, GWL_EXSTYLE)) & kBorderExStyles, DWORD{WS_EX_CLIENTEDGE});
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(sink, WM_GETFONT, 0, 0)), GetStockObject(DEFAULT_GUI_FONT));
  EXPECT_EQ(GetWindowTextLengthA(sink), 0);
  HDC dc = CreateCompatibleDC(nullptr);
  SendMessageA(form.window(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(sink));
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
  EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
  DeleteDC(dc);
  RECT outer;
  GetWindowRect(sink, &outer);
  EXPECT_EQ(outer.right - outer.left, 80);
  EXPECT_EQ(outer.bottom - outer.top, std::max(20, LeastHeight(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)))));
}

TEST(EditBoxTest, OnlyMultiLineWritableBoxesWantEnter) {
  const struct {
    const char* settings;
    bool wantsEnter;
  } cases[] = {
      {"    MultiLine 1", true},
      {"    MultiLine 1\n    InputMode 2", true},
      {"    MultiLine 1\n    InputMode 4", true},
      {"    MultiLine 1\n    InputMode 1", false},
      {"    MultiLine 0", false},
      {"", false},
  };
  for (const auto& c : cases) {
    LoadedForm form(OneBoxForm(c.settings), 0x520A0001);
    ControlObject* box = FindLiveWindow(0x520A0001)->FindControl(0x160A0001);
    EXPECT_EQ(box->WantsKey(VK_RETURN), c.wantsEnter) << c.settings;
    for (UINT key : {UINT{VK_TAB}, UINT{VK_ESCAPE}, UINT{VK_F1}, UINT{'A'}, UINT{VK_UP}})
      EXPECT_FALSE(box->WantsKey(key)) << c.settings << " key " << key;
  }
}

TEST(EditBoxTest, EnterInTheFourFieldsStartsANewLine) {
  LoadedForm form(ReadSourceFile("ui/main_window.form"), kMainWindowId);
  FormWindow* window = FindLiveWindow(kMainWindowId);
  for (uint32_t id : {kAddressBoxId, kTitleBoxId, kSummaryBoxId, kCommentBoxId}) {
    HWND box = form.control(id);
    SetFocus(box);
    SendMessageA(box, EM_SETSEL, 0, -1);
    SendMessageA(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("ab"));
    // Through the window's key filter, as the message loop hands it over.
    MSG msg = {};
    msg.hwnd = box;
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_RETURN;
    msg.lParam = 1;
    if (!FormWindow::PreTranslate(msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    PumpMessages();
    EXPECT_EQ(BoxText(box), "ab\r\n") << std::hex << id;
    EXPECT_EQ(GetFocus(), box) << std::hex << id;
  }
  EXPECT_NE(window, nullptr);
}

HWND SpinnerOf(HWND box) {
  HWND found = nullptr;
  for (HWND child = GetWindow(GetParent(box), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char className[32] = {};
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, UPDOWN_CLASSA) == 0 &&
        reinterpret_cast<HWND>(SendMessageA(child, UDM_GETBUDDY, 0, 0)) == box)
      found = child;
  }
  return found;
}

void ClickArrow(HWND spinner, bool up) {
  RECT rect;
  GetClientRect(spinner, &rect);
  const LPARAM at = MAKELPARAM(rect.right / 2, up ? rect.bottom / 4 : rect.bottom * 3 / 4);
  SendMessageA(spinner, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(spinner, WM_LBUTTONUP, 0, at);
  PumpMessages();
}

TEST(EditBoxTest, SpinnerStepsOrReportsWithinItsOrderedRange) {
  LoadedForm form(TestForm("spinner.form"), 0x52080001);
  HWND stepping = form.control(0x16080001);
  HWND reporting = form.control(0x16080002);
  HWND stepper = SpinnerOf(stepping);
  HWND reporter = SpinnerOf(reporting);
  ASSERT_NE(stepper, nullptr);
  ASSERT_NE(reporter, nullptr);
  EXPECT_EQ(SpinnerOf(form.control(0x16080003)), nullptr) << "multi-line boxes have no spinner";

  int low = 1, high = 1;
  SendMessageA(stepper, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 10);
  SendMessageA(reporter, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
  EXPECT_EQ(low, -5);
  EXPECT_EQ(high, 5);

  // The box and its spinner share the unit's rectangle, the spinner on the
  // right over the box's edge at most.
  RECT box, spin, unit = {10, 10, 130, 34};
  GetWindowRect(stepping, &box);
  GetWindowRect(stepper, &spin);
  MapWindowPoints(form.window(), nullptr, reinterpret_cast<POINT*>(&unit), 2);
  EXPECT_EQ(box.left, unit.left);
  EXPECT_LT(box.right, unit.right - 8);
  EXPECT_GE(spin.left, box.right - GetSystemMetrics(SM_CXEDGE));
  EXPECT_LE(spin.right, unit.right);
  EXPECT_TRUE(IsWindowVisible(stepper));
  // Directly above its box, so the box's edge never covers it.
  EXPECT_EQ(GetWindow(stepper, GW_HWNDNEXT), stepping);
  EXPECT_EQ(GetWindow(reporter, GW_HWNDNEXT), reporting);

  ClickArrow(stepper, true);
  EXPECT_EQ(BoxText(stepping), "10");
  ClickArrow(stepper, true);
  EXPECT_EQ(BoxText(stepping), "10") << "the upper bound holds";
  ClickArrow(stepper, false);
  EXPECT_EQ(BoxText(stepping), "9");
  EXPECT_EQ(Counts().spinnerClicks, 0);

  ClickArrow(reporter, true);
  ClickArrow(reporter, false);
  EXPECT_EQ(BoxText(reporting), "3") << "mode 2 does not step";
  EXPECT_EQ(Counts().spinnerClicks, 2);
}

}  // namespace
