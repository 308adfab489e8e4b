// Making windows from their stored settings, checked on the real windows.
#include <gtest/gtest.h>

#include <cstdlib>

#include "runtime/win/window_frame.h"
#include "window_fixture.h"

namespace {

struct StyleCase {
  uint32_t id;
  int border;
  const char* caption;
  int controlBox, maxButton, minButton;
  DWORD style, exStyle;
};

// The cases of frame_styles.form, with the style each must give.
const StyleCase kStyleCases[] = {
    {0x100, 0, "T", 1, 0, 1, 0x02020000, 0},     {0x101, 0, "", 0, 0, 0, 0x02000000, 0},
    {0x102, 0, "T", 0, 1, 0, 0x02010000, 0},     {0x103, 0, "", 1, 1, 1, 0x02030000, 0},
    {0x104, 1, "T", 1, 0, 1, 0x02CE0000, 0},     {0x105, 1, "", 0, 0, 0, 0x02440000, 0},
    {0x106, 1, "T", 0, 1, 0, 0x02C50000, 0},     {0x107, 1, "", 1, 1, 1, 0x02CF0000, 0},
    {0x108, 2, "T", 1, 0, 1, 0x02CA0000, 0},     {0x109, 2, "", 0, 0, 0, 0x02400000, 0},
    {0x10A, 2, "T", 0, 1, 0, 0x02C10000, 0},     {0x10B, 2, "", 1, 1, 1, 0x02CB0000, 0},
    {0x10C, 3, "T", 1, 0, 1, 0x02CE0000, 0x80},  {0x10D, 3, "", 0, 0, 0, 0x02440000, 0x80},
    {0x10E, 3, "T", 0, 1, 0, 0x02C50000, 0x80},  {0x10F, 3, "", 1, 1, 1, 0x02CF0000, 0x80},
    {0x110, 4, "T", 1, 0, 1, 0x02CA0000, 0x80},  {0x111, 4, "", 0, 0, 0, 0x02400000, 0x80},
    {0x112, 4, "T", 0, 1, 0, 0x02C10000, 0x80},  {0x113, 4, "", 1, 1, 1, 0x02CB0000, 0x80},
    {0x114, 5, "T", 1, 0, 1, 0x02CE0000, 0x200}, {0x115, 5, "", 0, 0, 0, 0x02440000, 0x200},
    {0x116, 5, "T", 0, 1, 0, 0x02C50000, 0x200}, {0x117, 5, "", 1, 1, 1, 0x02CF0000, 0x200},
    {0x118, 6, "T", 1, 0, 1, 0x02CA0000, 0x200}, {0x119, 6, "", 0, 0, 0, 0x02400000, 0x200},
    {0x11A, 6, "T", 0, 1, 0, 0x02C10000, 0x200}, {0x11B, 6, "", 1, 1, 1, 0x02CB0000, 0x200},
    {0x11C, 2, "T", 1, 0, 1, 0x0ACA0000, 0},  // Disabled 1
};

// The bits the runtime decides; Windows adds others (WS_CLIPSIBLINGS,
// WS_EX_WINDOWEDGE) of its own.
constexpr DWORD kStyleMask = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX |
                             WS_DISABLED | WS_CLIPCHILDREN | WS_POPUP | WS_CHILD | WS_VISIBLE | WS_MINIMIZE |
                             WS_MAXIMIZE;
constexpr DWORD kExStyleMask = WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE | WS_EX_TOPMOST | WS_EX_APPWINDOW;

TEST(FrameStyle, EachBorderStyleAgainstCaptionAndBoxes) {
  LoadedForm form("frame_styles.form");
  for (const StyleCase& c : kStyleCases) {
    SCOPED_TRACE("window 0x" + [&] { char b[16]; snprintf(b, sizeof b, "%X", c.id); return std::string(b); }());
    HWND hwnd = form.Load(c.id);
    ASSERT_TRUE(hwnd);
    const Unit& u = form.Window(c.id)->unit();
    ASSERT_EQ(u.Number(window::BorderStyle), c.border);
    ASSERT_EQ(u.Bytes(window::Caption), c.caption);
    ASSERT_EQ(u.Number(window::ControlBox), c.controlBox);
    ASSERT_EQ(u.Number(window::MaxButton), c.maxButton);
    ASSERT_EQ(u.Number(window::MinButton), c.minButton);

    FrameStyle computed = ComputeFrameStyle(u);
    EXPECT_EQ(computed.style, c.style);
    EXPECT_EQ(computed.exStyle, c.exStyle);
    const DWORD real = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
    const DWORD realEx = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE));
    EXPECT_EQ(real & kStyleMask, c.style) << std::hex << real;
    EXPECT_EQ(realEx & kExStyleMask, c.exStyle) << std::hex << realEx;
    RECT outer;
    GetWindowRect(hwnd, &outer);
    EXPECT_EQ(outer.right - outer.left, 300);
    EXPECT_EQ(outer.bottom - outer.top, 200);
    DestroyWindow(hwnd);
  }
}

TEST(FrameStyle, TheProgramsWindow) {
  LoadedForm form("keys.form");
  HWND hwnd = form.Load(0x52010001);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)) & kStyleMask, 0x02CA0000u | WS_VISIBLE);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE)) & kExStyleMask, 0u);
  EXPECT_EQ(GetWindow(hwnd, GW_OWNER), nullptr);
  char caption[64] = {};
  GetWindowTextA(hwnd, caption, sizeof caption);
  EXPECT_EQ(std::string(caption), Ansi("自定义指定内容分享到qq好友或群      by:dorak"));
  EXPECT_EQ(strlen(caption), 44u);
  EXPECT_EQ(GetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND), reinterpret_cast<LONG_PTR>(GetStockObject(NULL_BRUSH)));
  EXPECT_EQ(static_cast<UINT>(GetClassLongA(hwnd, GCL_STYLE)), UINT(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS));
  EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrA(hwnd, GCLP_HCURSOR)), LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(GetClassLongPtrA(hwnd, GCLP_HICON), 0);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0)), nullptr)
      << "a window of the default class keeps no font";
}

struct ScreenCase {
  int width, height;
  POINT place;
};
// (screen - 430 x 364) / 2, toward zero.
const ScreenCase kScreens[] = {
    {1920, 1080, {745, 358}}, {1024, 768, {297, 202}}, {1023, 768, {296, 202}},
    {400, 300, {-15, -32}},   {401, 301, {-14, -31}},
};

TEST(StartPlace, CentredOnEveryListedScreen) {
  LoadedForm form("start_place.form");
  const Unit* u = Runtime().form.WindowById(0x10);
  ASSERT_TRUE(u);
  for (const ScreenCase& s : kScreens) {
    POINT place = ComputeStartPlace(*u, s.width, s.height);
    EXPECT_EQ(place.x, s.place.x) << s.width << "x" << s.height;
    EXPECT_EQ(place.y, s.place.y) << s.width << "x" << s.height;
  }
}

// Run by ctest on the environment's desktop, and by window.check.sh inside
// desktops of each listed size.
TEST(StartPlace, RealWindowOnThisScreen) {
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  const ScreenCase* screen = nullptr;
  for (const ScreenCase& s : kScreens)
    if (s.width == width && s.height == height) screen = &s;
  RecordProperty("screen", std::to_string(width) + "x" + std::to_string(height));
  ASSERT_TRUE(screen) << "no case for a screen of " << width << "x" << height;
  LoadedForm form("start_place.form");
  HWND hwnd = form.Load(0x10);
  RECT outer;
  GetWindowRect(hwnd, &outer);
  EXPECT_EQ(outer.left, screen->place.x) << width << "x" << height;
  EXPECT_EQ(outer.top, screen->place.y) << width << "x" << height;
  if (width >= 430 && height >= 364) {
    EXPECT_EQ(outer.right - outer.left, 430);
    EXPECT_EQ(outer.bottom - outer.top, 364);
  }
}

TEST(StartPlace, StoredMinimisedAndMaximised) {
  LoadedForm form("start_place.form");
  HWND stored = form.Load(0x11);
  RECT outer;
  GetWindowRect(stored, &outer);
  EXPECT_EQ(outer.left, 50);
  EXPECT_EQ(outer.top, 60);
  EXPECT_EQ(outer.right - outer.left, 320);
  EXPECT_EQ(outer.bottom - outer.top, 200);

  HWND minimised = form.Load(0x12);
  EXPECT_TRUE(IsIconic(minimised));
  HWND maximised = form.Load(0x13);
  EXPECT_TRUE(IsZoomed(maximised));
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  GetWindowPlacement(maximised, &placement);
  EXPECT_EQ(placement.rcNormalPosition.right - placement.rcNormalPosition.left, 320);
  EXPECT_EQ(placement.rcNormalPosition.bottom - placement.rcNormalPosition.top, 200);
  ShowWindow(maximised, SW_RESTORE);
  Pump(50);
  GetWindowRect(maximised, &outer);
  EXPECT_EQ(outer.right - outer.left, 320) << "restored to the stored size";
  EXPECT_EQ(outer.bottom - outer.top, 200);

  // Without a sizing frame the window is not made maximised, but it is still
  // shown maximised (SW_SHOWMAXIMIZED).
  const Unit* fixed = Runtime().form.WindowById(0x14);
  EXPECT_EQ(StartPositionStyle(*fixed, ComputeFrameStyle(*fixed).style), 0u);
  EXPECT_EQ(StartPositionStyle(*Runtime().form.WindowById(0x13),
                               ComputeFrameStyle(*Runtime().form.WindowById(0x13)).style),
            DWORD(WS_MAXIMIZE));
  EXPECT_TRUE(IsZoomed(form.Load(0x14)));
}

// Child windows in the order they are created.
std::vector<UINT_PTR> g_created;
LRESULT CALLBACK RecordCreation(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
    if (create->style & WS_CHILD) g_created.push_back(reinterpret_cast<UINT_PTR>(create->hMenu));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(Making, ControlsMadeInReverseStackedInStoredOrderThenEventsThenShown) {
  LoadedForm form("making.form");
  g_created.clear();
  HHOOK hook = SetWindowsHookExA(WH_CBT, &RecordCreation, nullptr, GetCurrentThreadId());
  HWND hwnd = form.Load(0x70);
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(g_created, (std::vector<UINT_PTR>{0x705, 0x704, 0x703, 0x702, 0x701}));

  std::vector<UINT_PTR> stacking;
  for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    stacking.push_back(static_cast<UINT_PTR>(GetDlgCtrlID(child)));
  EXPECT_EQ(stacking, (std::vector<UINT_PTR>{0x701, 0x702, 0x703, 0x704, 0x705}));

  EXPECT_EQ(Events(), (std::vector<std::string>{"created hidden with 5 controls", "moved", "resized"}));
  EXPECT_TRUE(IsWindowVisible(hwnd));

  struct {
    uint32_t id;
    bool shown, disabled, tabStop;
  } controls[] = {
      {0x701, true, false, true},  {0x702, false, false, true},  // a timer is never shown
      {0x703, true, true, false},  {0x704, false, false, true}, {0x705, true, false, true},
  };
  for (const auto& c : controls) {
    HWND control = form.Control(0x70, c.id);
    LONG style = GetWindowLongA(control, GWL_STYLE);
    EXPECT_EQ(IsWindowVisible(control) != FALSE, c.shown) << std::hex << c.id;
    EXPECT_EQ((style & WS_DISABLED) != 0, c.disabled) << std::hex << c.id;
    EXPECT_EQ((style & WS_TABSTOP) != 0, c.tabStop) << std::hex << c.id;
  }

  Events().clear();
  SetWindowPos(hwnd, nullptr, 60, 70, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(hwnd, nullptr, 0, 0, 380, 280, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(Events(), (std::vector<std::string>{"moved", "resized"}));
}

TEST(Making, HiddenDisabledWindowAndOneItsHandlerCloses) {
  LoadedForm form("making.form");
  HWND hidden = form.Load(0x71);
  EXPECT_FALSE(IsWindowVisible(hidden));
  EXPECT_TRUE(GetWindowLongA(hidden, GWL_STYLE) & WS_DISABLED);

  EXPECT_EQ(form.Load(0x72), nullptr);
  EXPECT_EQ(Events(), std::vector<std::string>{"created"}) << "no event after the window went";
  EXPECT_EQ(LiveWindowCount(), 1u);
}

TEST(Making, LoadingFailsForANewerFormatOrAnUnknownClass) {
  for (uint32_t id : {0x5Bu, 0x5Au}) {
    LoadedForm form("frame_settings.form");
    bool ended = false;
    try {
      form.Load(id);
    } catch (const ProcessEnded& end) {
      ended = true;
      EXPECT_EQ(end.exitCode, -1);
    }
    EXPECT_TRUE(ended) << std::hex << id;
    ASSERT_EQ(FatalErrorCatcher::messages().size(), 1u);
    EXPECT_EQ(FatalErrorCatcher::messages()[0], Ansi("载入启动窗口失败"));
    EXPECT_EQ(LiveWindowCount(), 0u);
  }
}

TEST(Making, AnOlderFormatKeepsTheDefaultsOfWhatItDoesNotStore) {
  LoadedForm form("frame_settings.form");
  HWND hwnd = form.Load(0x5C);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)) & kStyleMask, 0x02CA0000u | WS_VISIBLE);
  RECT outer;
  GetWindowRect(hwnd, &outer);
  EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - 430) / 2);
  EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - 364) / 2);
}

struct ShapeCase {
  uint32_t id;
  int shape;
  struct Probe {
    int xPercent, yPercent;
    bool inside;
  } probes[4];
};

TEST(Shape, OutlinesOnRealWindowsRebuiltOnResize) {
  const ShapeCase cases[] = {
      {0x41, 1, {{50, 50, true}, {1, 1, false}, {99, 99, false}, {50, 2, true}}},
      {0x42, 2, {{50, 50, true}, {0, 0, false}, {50, 0, true}, {0, 50, true}}},
      {0x43, 3, {{50, 50, false}, {1, 1, false}, {50, 12, true}, {12, 50, true}}},
      {0x44, 15, {{50, 50, true}, {2, 2, false}, {50, 3, true}, {50, 97, false}}},
      {0x45, 21, {{97, 50, true}, {97, 5, false}, {3, 50, true}, {3, 5, false}}},
      {0x46, 29, {{1, 1, false}, {50, 1, true}, {99, 99, false}, {50, 50, true}}},
  };
  LoadedForm form("frame_settings.form");
  for (const ShapeCase& c : cases) {
    SCOPED_TRACE("shape " + std::to_string(c.shape));
    HWND hwnd = form.Load(c.id);
    for (SIZE size : {SIZE{300, 200}, SIZE{420, 310}}) {
      if (size.cx != 300) SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
      HRGN region = CreateRectRgn(0, 0, 0, 0);
      ASSERT_NE(GetWindowRgn(hwnd, region), ERROR);
      RECT box;
      GetRgnBox(region, &box);
      EXPECT_GE(box.right, size.cx - 2) << "fitted to " << size.cx;
      EXPECT_GE(box.bottom, size.cy - 2) << "fitted to " << size.cy;
      for (const auto& p : c.probes)
        EXPECT_EQ(PtInRegion(region, size.cx * p.xPercent / 100, size.cy * p.yPercent / 100) != FALSE, p.inside)
            << p.xPercent << "%, " << p.yPercent << "% of " << size.cx << "x" << size.cy;
      DeleteObject(region);
    }
    DestroyWindow(hwnd);
  }
}

TEST(Shape, EveryTableOutlineFillsItsBox) {
  EXPECT_EQ(MakeShapeRegion(0, 300, 200), nullptr);
  for (int shape = 4; shape <= 29; ++shape) {
    HRGN region = MakeShapeRegion(shape, 300, 200);
    ASSERT_TRUE(region) << shape;
    RECT box;
    GetRgnBox(region, &box);
    // A sharp corner on the edge may leave a pixel or two uncovered.
    EXPECT_LE(box.left, 3) << shape;
    EXPECT_LE(box.top, 3) << shape;
    EXPECT_GE(box.right, 297) << shape;
    EXPECT_GE(box.bottom, 197) << shape;
    EXPECT_LE(box.right, 301) << shape;
    EXPECT_LE(box.bottom, 201) << shape;
    EXPECT_TRUE(PtInRegion(region, 150, 100)) << shape;
    DeleteObject(region);
  }
}

SIZE IconSize(HICON icon) {
  ICONINFO info = {};
  if (!GetIconInfo(icon, &info)) return {0, 0};
  BITMAP bitmap = {};
  GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  SIZE size = {bitmap.bmWidth, info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2};
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return size;
}

COLORREF IconCentre(HICON icon, int size) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
  HGDIOBJ old = SelectObject(dc, bitmap);
  DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  COLORREF colour = GetPixel(dc, size / 2, size / 2);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return colour;
}

TEST(Icons, FromIconDataOrTheProgramsOwnLoadedOnce) {
  LoadedForm form("frame_settings.form");
  HWND own = form.Load(0x50);
  auto big = reinterpret_cast<HICON>(SendMessageA(own, WM_GETICON, ICON_BIG, 0));
  auto small = reinterpret_cast<HICON>(SendMessageA(own, WM_GETICON, ICON_SMALL, 0));
  ASSERT_TRUE(big && small);
  EXPECT_EQ(IconSize(big).cx, 32);
  EXPECT_EQ(IconSize(small).cx, 16);
  EXPECT_EQ(IconCentre(big, 32), RGB(255, 0, 0));
  EXPECT_EQ(IconCentre(small, 16), RGB(255, 0, 0));

  // Unreadable Icon data and no Icon at all: the one DEFAULT_ICON pair (the
  // test exe carries the program's icon group).
  HWND bad = form.Load(0x51);
  HWND none = form.Load(0x52);
  const int sizes[] = {32, 16};
  for (int which : {ICON_BIG, ICON_SMALL}) {
    auto fromBad = reinterpret_cast<HICON>(SendMessageA(bad, WM_GETICON, which, 0));
    auto fromNone = reinterpret_cast<HICON>(SendMessageA(none, WM_GETICON, which, 0));
    ASSERT_TRUE(fromNone);
    EXPECT_EQ(fromBad, fromNone) << "loaded once";
    EXPECT_EQ(IconSize(fromNone).cx, sizes[which == ICON_BIG ? 0 : 1]);
  }
  DestroyWindow(own);
  EXPECT_EQ(IconSize(big).cx, 0) << "the window's own icons go with it";
}

TEST(Pointers, CodesCursorDataAndTheClassCursor) {
  LoadedForm form("frame_settings.form");
  HWND hwnd = form.Load(0x52);
  auto cursorOver = [](HWND target) {
    SetCursor(nullptr);
    SendMessageA(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
  };
  EXPECT_EQ(cursorOver(hwnd), LoadCursorA(nullptr, IDC_CROSS));
  EXPECT_EQ(cursorOver(form.Control(0x52, 0x521)), LoadCursorA(nullptr, IDC_IBEAM));
  EXPECT_EQ(cursorOver(form.Control(0x52, 0x522)), LoadCursorA(nullptr, IDC_HAND));
  HCURSOR own = cursorOver(form.Control(0x52, 0x520));
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(own, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 5u);
  EXPECT_EQ(info.yHotspot, 7u);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);

  // Tags are kept with their units.
  EXPECT_EQ(form.Window(0x52)->unit().Bytes(common::Tag), "window note");
  EXPECT_EQ(form.Window(0x52)->FindControl(0x520)->unit().Bytes(common::Tag), "box note");
}

INPUT MouseAt(int x, int y, DWORD flags) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
  return input;
}

// Should the system's move loop miss the release, this ends it.
void CALLBACK ReleaseButton(HWND, UINT, UINT_PTR, DWORD) {
  INPUT up = {};
  up.type = INPUT_MOUSE;
  up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(1, &up, sizeof up);
}

// Press, move and release in one batch: a drag runs the system's own move
// loop inside the dispatch of the press.
void Drag(HWND hwnd, int dx, int dy) {
  POINT start = {60, 60};
  ClientToScreen(hwnd, &start);
  std::vector<INPUT> inputs = {MouseAt(start.x, start.y, 0), MouseAt(start.x, start.y, MOUSEEVENTF_LEFTDOWN)};
  for (int step = 1; step <= 4; ++step)
    inputs.push_back(MouseAt(start.x + dx * step / 4, start.y + dy * step / 4, 0));
  inputs.push_back(MouseAt(start.x + dx, start.y + dy, MOUSEEVENTF_LEFTUP));
  UINT_PTR timer = SetTimer(nullptr, 0, 3000, &ReleaseButton);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  Pump(400);
  KillTimer(nullptr, timer);
}

TEST(Mouse, DragAnywhereAndMovable) {
  struct {
    uint32_t id;
    bool moves, hasMoveCommand;
  } cases[] = {{0x53, true, true}, {0x54, false, true}, {0x55, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    LoadedForm form("frame_settings.form");
    HWND hwnd = form.Load(c.id);
    BringToFront(hwnd);
    RECT before, after;
    GetWindowRect(hwnd, &before);
    Drag(hwnd, 60, 40);
    GetWindowRect(hwnd, &after);
    EXPECT_EQ(after.left - before.left, c.moves ? 60 : 0);
    EXPECT_EQ(after.top - before.top, c.moves ? 40 : 0);
    EXPECT_EQ(GetMenuState(GetSystemMenu(hwnd, FALSE), SC_MOVE, MF_BYCOMMAND) != UINT(-1), c.hasMoveCommand);
  }
}

TEST(Caption, KeepCaptionActiveKeepsTheActiveLook) {
  for (uint32_t id : {0x56u, 0x57u}) {
    SCOPED_TRACE(id);
    LoadedForm form("frame_settings.form");
    HWND hwnd = form.Load(id);
    BringToFront(hwnd);
    RECT outer;
    GetWindowRect(hwnd, &outer);
    const int x = outer.left + 150, y = outer.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    auto pixel = [&] {
      HDC screen = GetDC(nullptr);
      COLORREF colour = GetPixel(screen, x, y);
      ReleaseDC(nullptr, screen);
      return colour;
    };
    const COLORREF active = pixel();
    OtherWindow other;
    SetWindowPos(other.hwnd(), nullptr, 600, 500, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    BringToFront(other.hwnd());
    ASSERT_EQ(GetForegroundWindow(), other.hwnd());
    const COLORREF inactive = pixel();
    if (id == 0x56) {
      EXPECT_EQ(inactive, active);
    } else {
      EXPECT_NE(inactive, active);
    }
  }
}

TEST(Frame, AlwaysOnTopNoTaskbarButtonAndOwnClass) {
  LoadedForm form("frame_settings.form");
  HWND top = form.Load(0x58);
  EXPECT_TRUE(GetWindowLongA(top, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(GetWindow(top, GW_OWNER), Runtime().ownerWindow);
  EXPECT_TRUE(Runtime().ownerWindow);
}

std::vector<UINT> g_classMessages;
LRESULT CALLBACK TestClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  g_classMessages.push_back(message);
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST(Frame, WindowClassNameMakesTheWindowOfThatClass) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = &TestClassProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "WindowTestClass";
  RegisterClassA(&windowClass);
  LoadedForm form("frame_settings.form");
  g_classMessages.clear();
  HWND hwnd = form.Load(0x59);
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof name);
  EXPECT_STREQ(name, "WindowTestClass");
  EXPECT_NE(std::find(g_classMessages.begin(), g_classMessages.end(), UINT(WM_SETFONT)), g_classMessages.end())
      << "messages go on to the class's own procedure";
  EXPECT_FALSE(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(GetWindow(hwnd, GW_OWNER), nullptr);
}

TEST(Music, WaveFromMemoryNeverHangsAndStopsWithTheWindow) {
  LoadedForm form("frame_settings.form");
  HWND repeated = form.Load(0x5D);
  // With a sound device it plays; without one it fails and nothing is kept.
  const bool device = waveOutGetNumDevs() > 0;
  std::printf("sound devices: %u, music window %s\n", waveOutGetNumDevs(),
              BackMusicWindow() == repeated ? "playing" : "none");
  if (device) {
    EXPECT_EQ(BackMusicWindow(), repeated);
  }
  Pump(300);
  DestroyWindow(repeated);
  EXPECT_EQ(BackMusicWindow(), nullptr);

  for (uint32_t id : {0x5Eu, 0x5Fu}) {  // PlayCount 2; not a WAV
    form.Load(id);
    EXPECT_EQ(BackMusicWindow(), nullptr) << std::hex << id;
  }
}

}  // namespace
