// Shared by the control tests: a form from tests/controls/forms (or the
// program's own) prepared in-process, its window made, and the real
// controls reached by id.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "runtime/form.h"
#include "tests/support/runtime_fixture.h"

class FormWindow;

// Counts of the test routines that forms name.
struct TestCounts {
  int ticks = 0;
  int spinnerClicks = 0;
};
TestCounts& Counts();
// CountTick, CountSpinnerClick, and the program's two handlers.
const HandlerTable& TestHandlers();

// The form text of tests/controls/forms/<name>.
std::string TestForm(const char* name);

// Prepares the runtime with the form and loads the window; shuts the
// runtime down again when it goes.
class LoadedForm {
 public:
  LoadedForm(const std::string& formText, uint32_t windowId);
  ~LoadedForm();
  LoadedForm(const LoadedForm&) = delete;
  LoadedForm& operator=(const LoadedForm&) = delete;

  HWND window() const;
  HWND control(uint32_t id) const;

 private:
  FatalErrorCatcher catcher_;
  uint32_t windowId_;
};

// Dispatches messages, translating keys, for that long.
void PumpFor(int milliseconds);
// Each character posted as the key-down and key-up of its key and translated
// by the loop into WM_CHAR, as typing would; letters come out lower case.
void TypeKeys(HWND target, const char* keys);
// Has the window and its children painted now.
void PaintNow(HWND window);

// What the screen shows inside a window's outer rectangle, as COLORREFs.
class ScreenShot {
 public:
  explicit ScreenShot(HWND hwnd);
  int width() const { return width_; }
  int height() const { return height_; }
  // x, y relative to the window's outer top left corner.
  COLORREF at(int x, int y) const;

 private:
  int width_ = 0, height_ = 0;
  std::basic_string<COLORREF> pixels_;
};

int Red(COLORREF c);
int Green(COLORREF c);
int Blue(COLORREF c);
