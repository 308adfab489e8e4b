#include "window_fixture.h"

#include "runtime/operations.h"

namespace {

std::vector<std::string> g_events;

void Record(const char* what) { g_events.emplace_back(what); }

constexpr uint32_t kMainId = 0x52010001;
constexpr uint32_t kFocusSinkId = 0x1601001D;

void FocusSink() { SetControlFocus(kMainId, kFocusSinkId); }
void ClickOpen() { Record("open"); }
void ClickOk() { Record("ok"); }
void ClickOk2() { Record("ok2"); }
void ClickOther() { Record("other"); }
void ClickDisabled() { Record("disabled"); }
void RecordMoved() { Record("moved"); }
void RecordResized() { Record("resized"); }

void RecordCreated() {
  FormWindow* window = FindLiveWindow(0x70);
  HWND hwnd = window ? window->hwnd() : nullptr;
  int children = 0;
  for (HWND child = hwnd ? GetWindow(hwnd, GW_CHILD) : nullptr; child; child = GetWindow(child, GW_HWNDNEXT))
    ++children;
  std::string what = "created";
  what += hwnd && IsWindowVisible(hwnd) ? " shown" : " hidden";
  what += " with " + std::to_string(children) + " controls";
  g_events.push_back(what);
}

void CloseItself() {
  Record("created");
  if (FormWindow* window = FindLiveWindow(0x72)) SendMessageA(window->hwnd(), WM_CLOSE, 0, 0);
}

const HandlerBinding kBindings[] = {
    {"FocusSink", &FocusSink},         {"ClickOpen", &ClickOpen},         {"ClickOk", &ClickOk},
    {"ClickOk2", &ClickOk2},           {"ClickOther", &ClickOther},       {"ClickDisabled", &ClickDisabled},
    {"RecordCreated", &RecordCreated}, {"RecordMoved", &RecordMoved},     {"RecordResized", &RecordResized},
    {"CloseItself", &CloseItself},
};
const HandlerTable kHandlers = {kBindings, sizeof kBindings / sizeof kBindings[0]};

LRESULT CALLBACK OtherProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

std::vector<std::string>& Events() { return g_events; }

LoadedForm::LoadedForm(const char* formFile) {
  g_events.clear();
  std::string path = std::string("tests/window/forms/") + formFile;
  std::string text = ReadSourceFile(path.c_str());
  InitializeRuntimeWithForm(text, kHandlers);
}

LoadedForm::~LoadedForm() {
  ShutdownRuntime();
  // Whatever the closed windows left queued goes before the next case.
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

HWND LoadedForm::Load(uint32_t windowId) {
  LoadStartupWindow(windowId);
  FormWindow* window = FindLiveWindow(windowId);
  return window ? window->hwnd() : nullptr;
}

HWND LoadedForm::Control(uint32_t windowId, uint32_t controlId) const {
  FormWindow* window = FindLiveWindow(windowId);
  ControlObject* control = window ? window->FindControl(controlId) : nullptr;
  return control ? control->hwnd() : nullptr;
}

uint32_t LoadedForm::FocusedId(uint32_t windowId) const {
  FormWindow* window = FindLiveWindow(windowId);
  ControlObject* control = window ? window->ControlFromHwnd(GetFocus()) : nullptr;
  return control ? control->unit().id : 0;
}

void Pump(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;  // the loop tests see their own
      if (FormWindow::PreTranslate(msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(5);
  } while (GetTickCount() - start < milliseconds);
}

void BringToFront(HWND hwnd) {
  for (int i = 0; i < 50 && GetForegroundWindow() != hwnd; ++i) {
    SetForegroundWindow(hwnd);
    Pump(20);
  }
  Pump(50);
}

namespace {

INPUT Key(WORD key, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

}  // namespace

void Press(WORD key, int modifiers) {
  std::vector<INPUT> inputs;
  const WORD held[] = {VK_SHIFT, VK_CONTROL, VK_MENU};
  for (int i = 0; i < 3; ++i)
    if (modifiers & (1 << i)) inputs.push_back(Key(held[i], false));
  inputs.push_back(Key(key, false));
  inputs.push_back(Key(key, true));
  for (int i = 2; i >= 0; --i)
    if (modifiers & (1 << i)) inputs.push_back(Key(held[i], true));
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  Pump(150);
}

COLORREF ClientPixel(HWND hwnd, int x, int y) {
  POINT point = {x, y};
  ClientToScreen(hwnd, &point);
  HDC screen = GetDC(nullptr);
  COLORREF colour = GetPixel(screen, point.x, point.y);
  ReleaseDC(nullptr, screen);
  return colour;
}

OtherWindow::OtherWindow() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = &OtherProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = "WindowTestOther";
  RegisterClassA(&windowClass);
  hwnd_ = CreateWindowExA(0, "WindowTestOther", "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500, 400, 200, 150,
                          nullptr, nullptr, windowClass.hInstance, nullptr);
}

OtherWindow::~OtherWindow() { DestroyWindow(hwnd_); }
