// The floor: the same window with the same seven controls, written straight
// against Win32 with every value spelled out (no runtime, no form, no
// handlers). What qqshare costs above this is what its runtime costs.
#include <windows.h>

namespace {

// GBK bytes of the caption and of the control texts.
const char kCaption[] =
    "\xD7\xD4\xB6\xA8\xD2\xE5\xD6\xB8\xB6\xA8\xC4\xDA\xC8\xDD\xB7\xD6\xCF\xED\xB5\xBD"
    "qq\xBA\xC3\xD3\xD1\xBB\xF2\xC8\xBA      by:dorak";
const char kOpen[] = "\xB4\xF2\xBF\xAA";              // 打开
const char kAddress[] = "\xCD\xF8\xD6\xB7";           // 网址
const char kTitle[] = "\xB1\xEA\xCC\xE2";             // 标题
const char kSummary[] = "\xB8\xBD\xBC\xD3\xC4\xDA\xC8\xDD";  // 附加内容
const char kComment[] = "\xC6\xC0\xC2\xDB";           // 评论

constexpr DWORD kWindowStyle = 0x02CA0000;  // clip children, caption, system menu, minimize box
constexpr int kWidth = 430, kHeight = 364;
constexpr DWORD kMultiLine = ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;

LRESULT CALLBACK FloorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND Child(HWND parent, DWORD exStyle, const char* cls, const char* text, DWORD style, int x, int y,
           int w, int h, int id) {
  HWND hwnd = CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_CLIPSIBLINGS | style, x, y, w, h, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                              nullptr);
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return hwnd;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA cls = {};
  cls.lpfnWndProc = &FloorProc;
  cls.hInstance = instance;
  cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  cls.lpszClassName = "QqshareFloor";
  RegisterClassA(&cls);

  const int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  HWND window = CreateWindowExA(0, cls.lpszClassName, kCaption, kWindowStyle, x, y, kWidth, kHeight,
                                nullptr, nullptr, instance, nullptr);

  const DWORD edit = WS_VISIBLE | WS_TABSTOP;
  HWND sink = Child(window, WS_EX_CLIENTEDGE, "EDIT", "", edit | ES_AUTOHSCROLL, 568, 184, 80, 20, 0x1D);
  Child(window, 0, "STATIC", "", 0, 376, 160, 26, 26, 0x15);  // where the timer lives: hidden
  Child(window, 0, "BUTTON", kOpen, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 168, 294, 80, 32, 0x08);
  Child(window, WS_EX_CLIENTEDGE, "EDIT", kTitle, edit | kMultiLine, 124, 63, 176, 39, 0x07);
  Child(window, WS_EX_CLIENTEDGE, "EDIT", kComment, edit | kMultiLine, 8, 239, 408, 33, 0x06);
  Child(window, WS_EX_CLIENTEDGE, "EDIT", kSummary, edit | kMultiLine, 126, 110, 176, 112, 0x05);
  Child(window, WS_EX_CLIENTEDGE, "EDIT", kAddress, edit | kMultiLine, 72, 25, 274, 28, 0x04);

  SetFocus(sink);
  ShowWindow(window, SW_SHOWNORMAL);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
