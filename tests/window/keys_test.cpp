// Keys and focus on real windows, with real key input (SendInput).
#include <gtest/gtest.h>

#include "runtime/win/window_frame.h"
#include "window_fixture.h"

namespace {

constexpr uint32_t kMain = 0x52010001;
constexpr uint32_t kBox1 = 0x16010004, kBox2 = 0x16010005, kBox3 = 0x16010006, kBox4 = 0x16010007,
                   kButton1 = 0x16010008, kBox5 = 0x1601001D;

std::string Text(HWND hwnd) {
  char buffer[256] = {};
  GetWindowTextA(hwnd, buffer, sizeof buffer);
  return buffer;
}

// Gives the focus to a control of the window, the window in front.
void FocusOn(const LoadedForm& form, uint32_t windowId, uint32_t controlId) {
  BringToFront(form.Window(windowId)->hwnd());
  SetFocus(form.Control(windowId, controlId));
  Pump(30);
  ASSERT_EQ(form.FocusedId(windowId), controlId);
}

TEST(FocusOrder, TabGoesThroughTheProgramsFieldsAndWraps) {
  LoadedForm form("keys.form");
  form.Load(kMain);
  // The created handler gave the focus to the off-screen box while the window
  // was hidden; which control holds it after showing is the window system's
  // choice between the two.
  uint32_t afterShowing = form.FocusedId(kMain);
  EXPECT_TRUE(afterShowing == kBox5 || afterShowing == kBox1) << std::hex << afterShowing;

  FocusOn(form, kMain, kBox5);
  const uint32_t forward[] = {kBox1, kBox2, kBox3, kBox4, kButton1, kBox5, kBox1};
  for (size_t i = 0; i < sizeof forward / sizeof forward[0]; ++i) {
    Press(VK_TAB);
    EXPECT_EQ(form.FocusedId(kMain), forward[i]) << "Tab number " << i + 1;
  }
  const uint32_t backward[] = {kBox5, kButton1, kBox4, kBox3, kBox2, kBox1};
  for (size_t i = 0; i < sizeof backward / sizeof backward[0]; ++i) {
    Press(VK_TAB, kShift);
    EXPECT_EQ(form.FocusedId(kMain), backward[i]) << "Shift+Tab number " << i + 1;
  }
}

TEST(FocusOrder, FocusOrderThenReverseStoredOrderOnlyShownEnabledStops) {
  LoadedForm form("keys.form");
  form.Load(0x32);
  FocusOn(form, 0x32, 0x326);  // F
  const uint32_t forward[] = {0x321 /* B */, 0x327 /* G */, 0x320 /* A */, 0x326 /* F */};
  for (size_t i = 0; i < 4; ++i) {
    Press(VK_TAB);
    EXPECT_EQ(form.FocusedId(0x32), forward[i]) << "Tab number " << i + 1;
  }
  Press(VK_TAB, kShift);
  EXPECT_EQ(form.FocusedId(0x32), 0x320u) << "Shift+Tab from the first goes to the last";

  // A focused control that is no tab stop moves on by its place in the order.
  SetFocus(form.Control(0x32, 0x325));  // E: FocusOrder 0, stored between B and F
  Press(VK_TAB);
  EXPECT_EQ(form.FocusedId(0x32), 0x321u);
}

TEST(FocusOrder, NothingMovesWhileTheWindowItselfHasTheFocus) {
  LoadedForm form("keys.form");
  HWND hwnd = form.Load(0x34);
  BringToFront(hwnd);
  SetFocus(hwnd);
  Pump(30);
  ASSERT_EQ(GetFocus(), hwnd);
  Press(VK_TAB);
  EXPECT_EQ(GetFocus(), hwnd);
  Press(VK_TAB, kShift);
  EXPECT_EQ(GetFocus(), hwnd);
}

TEST(FocusOnActivation, TheFocusedControlComesBackAfterSwitchingAway) {
  LoadedForm form("keys.form");
  HWND hwnd = form.Load(kMain);
  FocusOn(form, kMain, kBox3);
  {
    OtherWindow other;
    BringToFront(other.hwnd());
    ASSERT_EQ(GetForegroundWindow(), other.hwnd());
    EXPECT_NE(GetFocus(), form.Control(kMain, kBox3));
    BringToFront(hwnd);
    EXPECT_EQ(form.FocusedId(kMain), kBox3);
  }
}

TEST(FocusOnActivation, TheWindowPassesItsOwnFocusToTheFirstTabStop) {
  LoadedForm form("keys.form");
  HWND hwnd = form.Load(kMain);
  BringToFront(hwnd);
  SetFocus(hwnd);
  Pump(30);
  EXPECT_EQ(form.FocusedId(kMain), kBox1);
}

TEST(Keys, EnterInAMultiLineFieldStartsANewLineAndClicksNothing) {
  LoadedForm form("keys.form");
  form.Load(kMain);
  HWND box = form.Control(kMain, kBox1);
  FocusOn(form, kMain, kBox1);
  SendMessageA(box, EM_SETSEL, 0x7FFF, 0x7FFF);
  const std::string before = Text(box);
  Press(VK_RETURN);
  EXPECT_EQ(Text(box), before + "\r\n");
  EXPECT_EQ(form.FocusedId(kMain), kBox1);

  // On the button and on the one-line box, Enter neither clicks nor moves.
  for (uint32_t id : {kButton1, kBox5}) {
    FocusOn(form, kMain, id);
    Press(VK_RETURN);
    EXPECT_EQ(form.FocusedId(kMain), id) << std::hex << id;
  }
  EXPECT_TRUE(Events().empty()) << Events().front();
}

struct EnterCase {
  uint32_t window;
  uint32_t focused;
  const char* clicked;  // null: nothing
  uint32_t focusAfter;
};

TEST(Keys, EnterWithDefaultPushButtonsAndEnterMovesFocus) {
  const EnterCase cases[] = {
      {0x30, 0x302, "ok", 0x302},     // the first enabled default button, stored order
      {0x30, 0x304, "ok", 0x304},     // a focused ordinary button: still the first default
      {0x30, 0x305, "ok2", 0x305},    // a focused default button clicks itself
      {0x30, 0x301, nullptr, 0x301},  // a multi-line box keeps Enter
      {0x31, 0x312, nullptr, 0x311},  // EnterMovesFocus: to the next tab stop
      {0x31, 0x311, nullptr, 0x310},
      {0x31, 0x310, "ok", 0x310},     // the focused default button still wins
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    const EnterCase& c = cases[i];
    SCOPED_TRACE("case " + std::to_string(i));
    LoadedForm form("keys.form");
    form.Load(c.window);
    FocusOn(form, c.window, c.focused);
    SendMessageA(form.Control(c.window, c.focused), EM_SETSEL, 0x7FFF, 0x7FFF);  // boxes: the end
    Events().clear();
    Press(VK_RETURN);
    if (c.clicked) {
      ASSERT_EQ(Events().size(), 1u);
      EXPECT_EQ(Events()[0], c.clicked);
    } else {
      EXPECT_TRUE(Events().empty()) << Events().front();
    }
    EXPECT_EQ(form.FocusedId(c.window), c.focusAfter);
    if (c.focused == 0x301) {
      EXPECT_EQ(Text(form.Control(0x30, 0x301)), "ab\r\n");
    }
  }
}

// Records the key-down messages a control receives.
std::vector<WPARAM> g_keysSeen;
WNDPROC g_boxProc = nullptr;
LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN) g_keysSeen.push_back(wParam);
  return CallWindowProcA(g_boxProc, hwnd, message, wParam, lParam);
}

TEST(Keys, ShiftEscAndCtrlTabReachTheFocusedControl) {
  LoadedForm form("keys.form");
  HWND hwnd = form.Load(kMain);
  HWND box = form.Control(kMain, kBox2);
  g_keysSeen.clear();
  g_boxProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingProc)));
  FocusOn(form, kMain, kBox2);

  Press(VK_ESCAPE, kShift);
  EXPECT_TRUE(IsWindow(hwnd)) << "Shift+Esc closed the window";
  Press(VK_TAB, kCtrl);
  EXPECT_EQ(form.FocusedId(kMain), kBox2) << "Ctrl+Tab moved the focus";
  Press(VK_RETURN, kCtrl);
  EXPECT_EQ(g_keysSeen, (std::vector<WPARAM>{VK_SHIFT, VK_ESCAPE, VK_CONTROL, VK_TAB, VK_CONTROL, VK_RETURN}));
  SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_boxProc));
}

int g_watchdogFired = 0;
void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD) {
  ++g_watchdogFired;
  PostQuitMessage(99);
}

TEST(Keys, EscClosesTheWindowAndEndsTheLoop) {
  LoadedForm form("keys.form");
  HWND hwnd = form.Load(kMain);
  FocusOn(form, kMain, kBox3);
  g_watchdogFired = 0;
  UINT_PTR timer = SetTimer(nullptr, 0, 10000, &Watchdog);
  Press(VK_ESCAPE);  // pumped through the key filter: the window goes here
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(LiveWindowCount(), 0u);
  RunMessageLoop();  // no window alive: returns at once
  KillTimer(nullptr, timer);
  EXPECT_EQ(g_watchdogFired, 0);
}

TEST(Keys, EscInsideTheMessageLoopEndsIt) {
  LoadedForm form("keys.form");
  HWND hwnd = form.Load(kMain);
  FocusOn(form, kMain, kBox4);
  g_watchdogFired = 0;
  UINT_PTR timer = SetTimer(nullptr, 0, 10000, &Watchdog);
  INPUT keys[2] = {};
  keys[0].type = keys[1].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[1].ki.wVk = VK_ESCAPE;
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof(INPUT));
  RunMessageLoop();
  KillTimer(nullptr, timer);
  EXPECT_EQ(g_watchdogFired, 0) << "the loop did not end";
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST(Keys, EscapeClosesZeroAndAltWithAmpersandCaptions) {
  LoadedForm form("keys.form");
  HWND hwnd = form.Load(0x33);
  FocusOn(form, 0x33, 0x330);
  Press(VK_ESCAPE);
  EXPECT_TRUE(IsWindow(hwnd));
  Press('S', kAlt);  // the hidden "&Secret" is passed over for "&Save"
  Press('X', kAlt);  // "E&xit && go"
  Press('2', kAlt);  // "Page &2"
  Press('Q', kAlt);  // nobody's
  Press('S', kCtrl); // not with Alt
  EXPECT_EQ(Events(), (std::vector<std::string>{"ok", "other", "ok2"}));
}

struct HelpCall {
  std::string file;
  UINT command;
  ULONG_PTR data;
};
std::vector<HelpCall> g_helpCalls;
BOOL WINAPI RecordHelp(HWND, LPCSTR file, UINT command, ULONG_PTR data) {
  g_helpCalls.push_back({file, command, data});
  return TRUE;
}

TEST(Keys, F1OpensTheHelpFileWhenThereIsOne) {
  WinHelpFunction previous = SetWinHelp(&RecordHelp);
  struct {
    uint32_t window;
    bool fileExists;
    bool opens;
    UINT command;
    ULONG_PTR data;
  } cases[] = {
      {0x35, true, true, HELP_FINDER, 0},
      {0x36, true, true, HELP_CONTEXT, 42},
      {0x36, false, false, 0, 0},
      {0x37, true, false, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("window " + std::to_string(c.window) + (c.fileExists ? " with" : " without") + " the file");
    LoadedForm form("keys.form");  // the current directory is now the test's folder
    if (c.fileExists) {
      HANDLE file = CreateFileA("window_test.hlp", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      CloseHandle(file);
    } else {
      DeleteFileA("window_test.hlp");
    }
    g_helpCalls.clear();
    HWND hwnd = form.Load(c.window);
    BringToFront(hwnd);
    Press(VK_F1);
    ASSERT_EQ(g_helpCalls.size(), c.opens ? 1u : 0u);
    if (c.opens) {
      EXPECT_EQ(g_helpCalls[0].file, "window_test.hlp");
      EXPECT_EQ(g_helpCalls[0].command, c.command);
      EXPECT_EQ(g_helpCalls[0].data, c.data);
    }
    DeleteFileA("window_test.hlp");
  }
  SetWinHelp(previous);
}

}  // namespace
