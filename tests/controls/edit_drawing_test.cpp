// How edit boxes look: their colours as the window asks for them and as the
// screen shows them, and one-line boxes centred with background strips.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "controls_fixture.h"
#include "ui/main_window.h"

namespace {

constexpr uint32_t kDrawingWindow = 0x52070001;
constexpr uint32_t kReadOnlyBox = 0x16070001, kTallOneLineBox = 0x16070002, kDisabledBox = 0x16070003,
                   kButtonFaceBox = 0x16070004, kTallNoEdgeBox = 0x16070005;
constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);

struct Answer {
  HBRUSH brush;
  COLORREF text, back, brushColour;
};

// What the window answers when Windows asks it for the box's colours.
Answer AskColours(HWND box, UINT message) {
  HDC dc = CreateCompatibleDC(nullptr);
  Answer answer = {};
  answer.brush = reinterpret_cast<HBRUSH>(
      SendMessageA(GetParent(box), message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(box)));
  answer.text = GetTextColor(dc);
  answer.back = GetBkColor(dc);
  LOGBRUSH logBrush = {};
  if (answer.brush && GetObjectA(answer.brush, sizeof logBrush, &logBrush)) answer.brushColour = logBrush.lbColor;
  DeleteDC(dc);
  return answer;
}

TEST(EditDrawingTest, ColourQuestionsAreAnsweredWithTheBoxsSettings) {
  LoadedForm form(TestForm("drawing.form"), kDrawingWindow);
  const struct {
    uint32_t id;
    UINT message;
    const char* name;
    COLORREF text, back;
  } cases[] = {
      {kReadOnlyBox, WM_CTLCOLORSTATIC, "read-only", kRed, kGreen},
      {kDisabledBox, WM_CTLCOLORSTATIC, "disabled", RGB(0, 0, 0), kGreen},
      {kTallOneLineBox, WM_CTLCOLOREDIT, "writable", kBlue, kGreen},
      {kButtonFaceBox, WM_CTLCOLOREDIT, "button-face background", RGB(0, 0, 0), GetSysColor(COLOR_BTNFACE)},
  };
  for (const auto& c : cases) {
    const Answer answer = AskColours(form.control(c.id), c.message);
    ASSERT_NE(answer.brush, nullptr) << c.name;
    EXPECT_EQ(answer.text, c.text) << c.name;
    EXPECT_EQ(answer.back, c.back) << c.name;
    EXPECT_EQ(answer.brushColour, c.back) << c.name;
    // The same brush each time: the box's own, not one made per question.
    EXPECT_EQ(AskColours(form.control(c.id), c.message).brush, answer.brush) << c.name;
  }
}

// Pixels of the box's client area on screen.
struct ClientPixels {
  int total = 0, exactly = 0, tooDark = 0, white = 0;
};

ClientPixels CountClient(HWND box, COLORREF text) {
  ScreenShot shot(box);
  RECT outer, client;
  GetWindowRect(box, &outer);
  GetClientRect(box, &client);
  MapWindowPoints(box, nullptr, reinterpret_cast<POINT*>(&client), 2);
  ClientPixels counts;
  for (int y = client.top; y < client.bottom; ++y)
    for (int x = client.left; x < client.right; ++x) {
      const COLORREF c = shot.at(x - outer.left, y - outer.top);
      ++counts.total;
      if (c == text) ++counts.exactly;
      if (c == RGB(255, 255, 255)) ++counts.white;
      // Light grey on white blends only between the two.
      if (std::min({Red(c), Green(c), Blue(c)}) < Red(text) - 8) ++counts.tooDark;
    }
  return counts;
}

TEST(EditDrawingTest, TheFourFieldsDrawTypedTextLightGreyOnWhite) {
  LoadedForm form(ReadSourceFile("ui/main_window.form"), kMainWindowId);
  HWND window = form.window();
  SetForegroundWindow(window);
  for (uint32_t id : {kAddressBoxId, kTitleBoxId, kSummaryBoxId, kCommentBoxId}) {
    HWND box = form.control(id);
    SetWindowTextA(box, "");
    TypeKeys(box, "mwmwmw");
  }
  SetFocus(nullptr);  // no caret over the text
  PaintNow(window);
  for (uint32_t id : {kAddressBoxId, kTitleBoxId, kSummaryBoxId, kCommentBoxId}) {
    HWND box = form.control(id);
    char typed[16] = {};
    GetWindowTextA(box, typed, sizeof typed);
    ASSERT_STREQ(typed, "mwmwmw");
    const ClientPixels counts = CountClient(box, RGB(0xC0, 0xC0, 0xC0));
    EXPECT_GT(counts.exactly, 10) << std::hex << id;
    EXPECT_EQ(counts.tooDark, 0) << std::hex << id;
    EXPECT_GT(counts.white, counts.total / 2) << std::hex << id;
  }
}

TEST(EditDrawingTest, AReadOnlyBoxShowsItsOwnColours) {
  LoadedForm form(TestForm("drawing.form"), kDrawingWindow);
  SetForegroundWindow(form.window());
  PaintNow(form.window());
  HWND box = form.control(kReadOnlyBox);
  ScreenShot shot(box);
  RECT outer, client;
  GetWindowRect(box, &outer);
  GetClientRect(box, &client);
  MapWindowPoints(box, nullptr, reinterpret_cast<POINT*>(&client), 2);
  int red = 0, green = 0, other = 0;
  for (int y = client.top; y < client.bottom; ++y)
    for (int x = client.left; x < client.right; ++x) {
      const COLORREF c = shot.at(x - outer.left, y - outer.top);
      if (Red(c) > 128) ++red;  // red text blends into the green towards orange
      else if (c == kGreen) ++green;
      else if (Blue(c) > 16) ++other;  // red on green blends without blue
    }
  EXPECT_GT(red, 20);
  EXPECT_GT(green, red);
  EXPECT_EQ(other, 0);
}

// Rows of the box's outer rectangle on screen that hold the colour.
std::pair<int, int> RowsWith(const ScreenShot& shot, int left, int right, int top, int bottom,
                             bool (*is)(COLORREF)) {
  int first = -1, last = -1;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x)
      if (is(shot.at(x, y))) {
        if (first < 0) first = y;
        last = y;
      }
  return {first, last};
}

TEST(EditDrawingTest, OneLineBoxesCentreTheirLineBetweenBackgroundStrips) {
  LoadedForm form(TestForm("drawing.form"), kDrawingWindow);
  SetForegroundWindow(form.window());
  SetFocus(nullptr);
  PaintNow(form.window());
  for (uint32_t id : {kTallOneLineBox, kTallNoEdgeBox}) {
    HWND box = form.control(id);
    RECT outer, client;
    GetWindowRect(box, &outer);
    GetClientRect(box, &client);
    MapWindowPoints(box, nullptr, reinterpret_cast<POINT*>(&client), 2);
    OffsetRect(&client, -outer.left, -outer.top);
    const int edge = (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) ? GetSystemMetrics(SM_CYEDGE) : 0;
    const int inner = (outer.bottom - outer.top) - 2 * edge;

    // The client area is one line high, centred within the frame.
    HDC dc = GetDC(box);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(box, dc);
    EXPECT_EQ(client.bottom - client.top, metrics.tmHeight) << std::hex << id;
    const int above = client.top - edge, below = inner - (client.bottom - edge);
    EXPECT_LE(std::abs(above - below), 1) << std::hex << id;
    EXPECT_GT(above, 10) << std::hex << id;

    // On screen: the strips are BackColor, the text lies within the line.
    ScreenShot shot(box);
    const int left = edge, right = (outer.right - outer.left) - edge;
    int wrong = 0;
    for (int y = edge; y < client.top; ++y)
      for (int x = left; x < right; ++x) wrong += shot.at(x, y) != kGreen;
    for (int y = client.bottom; y < edge + inner; ++y)
      for (int x = left; x < right; ++x) wrong += shot.at(x, y) != kGreen;
    EXPECT_EQ(wrong, 0) << std::hex << id;
    auto rows = RowsWith(shot, left, right, edge, edge + inner,
                         [](COLORREF c) { return Blue(c) > 128 && Green(c) < 128 && Red(c) < 64; });
    ASSERT_GE(rows.first, 0) << std::hex << id;
    EXPECT_GE(rows.first, client.top) << std::hex << id;
    EXPECT_LT(rows.second, client.bottom) << std::hex << id;
  }
}

TEST(EditDrawingTest, AClickInAStripReachesTheBox) {
  LoadedForm form(TestForm("drawing.form"), kDrawingWindow);
  HWND box = form.control(kTallOneLineBox);
  RECT outer, client;
  GetWindowRect(box, &outer);
  GetClientRect(box, &client);
  MapWindowPoints(box, nullptr, reinterpret_cast<POINT*>(&client), 2);
  const POINT inStrip = {outer.left + 20, outer.top + GetSystemMetrics(SM_CYEDGE) + 2};
  ASSERT_LT(inStrip.y, client.top);
  EXPECT_EQ(SendMessageA(box, WM_NCHITTEST, 0, MAKELPARAM(inStrip.x, inStrip.y)), HTCLIENT);
  // The edge itself stays the frame.
  EXPECT_NE(SendMessageA(box, WM_NCHITTEST, 0, MAKELPARAM(inStrip.x, outer.top)), HTCLIENT);
}

}  // namespace
