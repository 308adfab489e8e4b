// Shared by the window tests: a form from tests/window/forms loaded into the
// runtime, test routines for its events, real keys and mouse input, and
// pumping through the runtime's own key filter.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "runtime/win/runtime_state.h"
#include "runtime/win/units.h"
#include "tests/support/runtime_fixture.h"

// What the test routines saw, in order: "created", "moved", "ok", ...
std::vector<std::string>& Events();

// The runtime prepared with one test form; shut down when it goes.
class LoadedForm {
 public:
  explicit LoadedForm(const char* formFile);
  ~LoadedForm();
  LoadedForm(const LoadedForm&) = delete;
  LoadedForm& operator=(const LoadedForm&) = delete;

  // Loads the window and returns its HWND (null if it went in a handler).
  HWND Load(uint32_t windowId);
  FormWindow* Window(uint32_t windowId) const { return FindLiveWindow(windowId); }
  HWND Control(uint32_t windowId, uint32_t controlId) const;
  uint32_t FocusedId(uint32_t windowId) const;  // 0: none of its controls

 private:
  FatalErrorCatcher catcher_;
};

// Dispatches for that long through the runtime's key filter, as the loop does.
void Pump(DWORD milliseconds);
// Makes the window the foreground one and waits until it is.
void BringToFront(HWND hwnd);

enum Modifier { kNone = 0, kShift = 1, kCtrl = 2, kAlt = 4 };
// One key pressed and released with exactly those modifiers held, by
// SendInput to the foreground window; then pumped.
void Press(WORD key, int modifiers = kNone);

// The screen's colour at a point of the window's client area.
COLORREF ClientPixel(HWND hwnd, int x, int y);

// A plain top-level window of another class, to switch to.
class OtherWindow {
 public:
  OtherWindow();
  ~OtherWindow();
  HWND hwnd() const { return hwnd_; }

 private:
  HWND hwnd_;
};
