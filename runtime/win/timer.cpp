// The timer kind: a never-shown child window that carries a Win32 timer.
#include "controls.h"

namespace {

constexpr char kTimerClassName[] = "RuntimeTimer";
constexpr UINT_PTR kTimerId = 1000;

class Timer : public ControlObject {
 public:
  using ControlObject::ControlObject;

  bool Make() {
    if (!RegisterTimerClass()) return false;
    HWND hwnd = CreateControlWindow(unit(), window(), kTimerClassName, "", CommonControlStyle(unit()), 0);
    if (!hwnd) return false;
    AttachHwnd(hwnd);
    const int interval = unit().Number(timer::Interval);
    if (interval > 0) running_ = SetTimer(hwnd, kTimerId, static_cast<UINT>(interval), nullptr) != 0;
    return true;
  }

  bool CanTakeFocus() const override { return false; }
  bool AlwaysHidden() const override { return true; }

 private:
  static bool RegisterTimerClass() {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &Timer::WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kTimerClassName;
    registered = RegisterClassA(&windowClass) != 0;
    return registered;
  }

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* timer = static_cast<Timer*>(FromHwnd(hwnd));
    switch (message) {
      case WM_TIMER:
        if (!timer || wParam != kTimerId) break;
        timer->Raise(timer::Tick);
        return 0;
      case WM_PAINT:
        ValidateRect(hwnd, nullptr);
        return 0;
      case WM_DESTROY:
        if (timer) timer->Stop();
        return 0;
      default:
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }

  void Stop() {
    if (running_) KillTimer(hwnd(), kTimerId);
    running_ = false;
  }

  bool running_ = false;
};

}  // namespace

std::unique_ptr<ControlObject> MakeTimer(const Unit& unit, FormWindow& window) {
  auto made = std::make_unique<Timer>(unit, window);
  if (!made->Make()) return nullptr;
  return made;
}
