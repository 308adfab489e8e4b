#include "controls_fixture.h"

#include <gtest/gtest.h>

#include "runtime/lifecycle.h"
#include "runtime/win/runtime_state.h"
#include "runtime/win/units.h"
#include "ui/main_window.h"

namespace {

TestCounts g_counts;

void CountTick() { ++g_counts.ticks; }
void CountSpinnerClick() { ++g_counts.spinnerClicks; }

}  // namespace

TestCounts& Counts() { return g_counts; }

const HandlerTable& TestHandlers() {
  static const HandlerBinding bindings[] = {
      {"CountTick", &CountTick},
      {"CountSpinnerClick", &CountSpinnerClick},
      {"HandleMainWindowCreated", &HandleMainWindowCreated},
      {"HandleOpenClick", &HandleOpenClick},
  };
  static const HandlerTable table = {bindings, sizeof bindings / sizeof bindings[0]};
  return table;
}

std::string TestForm(const char* name) {
  std::string text = ReadSourceFile((std::string("tests/controls/forms/") + name).c_str());
  EXPECT_FALSE(text.empty()) << name;
  return text;
}

LoadedForm::LoadedForm(const std::string& formText, uint32_t windowId) : windowId_(windowId) {
  g_counts = {};
  InitializeRuntimeWithForm(formText, TestHandlers());
  LoadStartupWindow(windowId);
  PumpMessages();
}

LoadedForm::~LoadedForm() { ShutdownRuntime(); }

HWND LoadedForm::window() const {
  FormWindow* window = FindLiveWindow(windowId_);
  return window ? window->hwnd() : nullptr;
}

HWND LoadedForm::control(uint32_t id) const {
  FormWindow* window = FindLiveWindow(windowId_);
  ControlObject* control = window ? window->FindControl(id) : nullptr;
  return control ? control->hwnd() : nullptr;
}

void PumpFor(int milliseconds) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
  do {
    PumpMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (static_cast<int>(end - GetTickCount()) > 0);
  PumpMessages();
}

void TypeKeys(HWND target, const char* keys) {
  for (const char* p = keys; *p; ++p) {
    const SHORT scan = VkKeyScanA(*p);
    const UINT key = LOBYTE(scan);
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
    PumpMessages();
  }
}

void PaintNow(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  PumpFor(100);
}

ScreenShot::ScreenShot(HWND hwnd) {
  RECT outer;
  GetWindowRect(hwnd, &outer);
  width_ = outer.right - outer.left;
  height_ = outer.bottom - outer.top;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width_, height_, screen, outer.left, outer.top, SRCCOPY);
  GdiFlush();
  pixels_.resize(static_cast<size_t>(width_) * height_);
  const auto* bgra = static_cast<const BYTE*>(bits);
  for (size_t i = 0; i < pixels_.size(); ++i)
    pixels_[i] = RGB(bgra[4 * i + 2], bgra[4 * i + 1], bgra[4 * i]);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

COLORREF ScreenShot::at(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  return pixels_[static_cast<size_t>(y) * width_ + x];
}

int Red(COLORREF c) { return GetRValue(c); }
int Green(COLORREF c) { return GetGValue(c); }
int Blue(COLORREF c) { return GetBValue(c); }
