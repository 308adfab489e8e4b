#include "window_frame.h"

#include "runtime_state.h"

namespace {

// Icons from the program's own DEFAULT_ICON, loaded once per process.
HICON g_defaultBigIcon = nullptr;
HICON g_defaultSmallIcon = nullptr;
bool g_defaultIconsLoaded = false;

void LoadDefaultIcons() {
  if (g_defaultIconsLoaded) return;
  g_defaultIconsLoaded = true;
  HINSTANCE module = GetModuleHandleA(nullptr);
  g_defaultBigIcon = static_cast<HICON>(LoadImageA(module, "DEFAULT_ICON", IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
  g_defaultSmallIcon = static_cast<HICON>(LoadImageA(module, "DEFAULT_ICON", IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
}

}  // namespace

FrameStyle ComputeFrameStyle(const Unit& u) {
  DWORD style = WS_CLIPCHILDREN, exStyle = 0;
  if (u.IsSet(common::Disabled)) style |= WS_DISABLED;
  const int border = u.Number(window::BorderStyle);
  const bool controlBox = u.IsSet(window::ControlBox);
  if (border != 0) {
    if (!u.Bytes(window::Caption).empty() || controlBox) style |= WS_CAPTION;
    if (controlBox) style |= WS_SYSMENU;
    style |= WS_DLGFRAME;
    if (border == 1 || border == 3 || border == 5) style |= WS_THICKFRAME;
    if (border == 3 || border == 4) exStyle |= WS_EX_TOOLWINDOW;
    if (border == 5 || border == 6) exStyle |= WS_EX_CLIENTEDGE;
  }
  if (u.IsSet(window::MaxButton)) style |= WS_MAXIMIZEBOX;
  if (u.IsSet(window::MinButton)) style |= WS_MINIMIZEBOX;
  return {style, exStyle};
}

POINT ComputeStartPlace(const Unit& u, int screenWidth, int screenHeight) {
  if (u.Number(window::StartPosition) == 1) {
    // C++ division truncates toward zero, also for negative values.
    return {(screenWidth - u.Number(common::Width)) / 2, (screenHeight - u.Number(common::Height)) / 2};
  }
  return {u.Number(common::Left), u.Number(common::Top)};
}

DWORD StartPositionStyle(const Unit& u, DWORD style) {
  switch (u.Number(window::StartPosition)) {
    case 2: return WS_MINIMIZE;
    case 3: return (style & WS_THICKFRAME) ? WS_MAXIMIZE : 0;
    default: return 0;
  }
}

void RepairFrameStyle(HWND hwnd, DWORD computed) {
  constexpr DWORD kBits = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  DWORD actual = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
  if ((actual & kBits) == (computed & kBits)) return;
  SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>((actual & ~kBits) | (computed & kBits)));
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ApplyWindowIcons(HWND hwnd, const Unit&) {
  LoadDefaultIcons();
  SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_defaultBigIcon));
  SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(g_defaultSmallIcon));
}

void ApplyShape(HWND hwnd, const Unit& u) {
  const int shape = u.Number(window::Shape);
  if (shape == 0) return;
  RECT outer;
  GetWindowRect(hwnd, &outer);
  const int w = outer.right - outer.left, h = outer.bottom - outer.top;
  HRGN region = nullptr;
  switch (shape) {
    case 1: region = CreateEllipticRgn(0, 0, w + 1, h + 1); break;
    case 2: {
      int round = (w < h ? w : h) / 5;
      region = CreateRoundRectRgn(0, 0, w + 1, h + 1, round, round);
      break;
    }
    case 3: {
      region = CreateEllipticRgn(0, 0, w + 1, h + 1);
      HRGN inner = CreateEllipticRgn(w / 4, h / 4, w - w / 4 + 1, h - h / 4 + 1);
      CombineRgn(region, region, inner, RGN_DIFF);
      DeleteObject(inner);
      break;
    }
    default: region = CreateRectRgn(0, 0, w, h); break;
  }
  // The system owns the region once it is set and frees the one it replaces.
  SetWindowRgn(hwnd, region, TRUE);
}

void StartBackMusic(HWND, const Unit&) {}
void StopBackMusic(HWND) {}

COLORREF ResolveColour(uint32_t colour) {
  return colour == kButtonFaceColour ? GetSysColor(COLOR_BTNFACE) : static_cast<COLORREF>(colour & 0xFFFFFF);
}

void PaintClientArea(HWND, HDC dc, const RECT& area, const Unit& u) {
  HBRUSH brush = CreateSolidBrush(ResolveColour(u.Colour(window::BackColor)));
  FillRect(dc, &area, brush);
  DeleteObject(brush);
}

bool ApplyMousePointer(const Unit&) { return false; }

bool OpenHelp(HWND, const Unit&) { return false; }

void ReleaseSharedResources() {
  if (g_defaultBigIcon) DestroyIcon(g_defaultBigIcon);
  if (g_defaultSmallIcon) DestroyIcon(g_defaultSmallIcon);
  g_defaultBigIcon = g_defaultSmallIcon = nullptr;
  g_defaultIconsLoaded = false;
}
