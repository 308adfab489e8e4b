#include "../operations.h"

#include <windows.h>

#include <shellapi.h>

#include <string>

#include "runtime_state.h"
#include "shell_seam.h"
#include "units.h"

namespace {

ShellExecuteFunction g_shellExecute = &ShellExecuteA;

HWND ControlHwnd(uint32_t windowId, uint32_t controlId) {
  FormWindow* window = FindLiveWindow(windowId);
  ControlObject* control = window ? window->FindControl(controlId) : nullptr;
  return control ? control->hwnd() : nullptr;
}

}  // namespace

Text ReadEditContent(uint32_t windowId, uint32_t controlId) {
  HWND hwnd = ControlHwnd(windowId, controlId);
  if (!hwnd) return nullptr;
  int length = GetWindowTextLengthA(hwnd);
  if (length <= 0) return nullptr;
  // The length may overstate a double-byte text, never understate it.
  auto text = static_cast<Text>(AllocateBlock(static_cast<size_t>(length) + 1));
  int copied = GetWindowTextA(hwnd, text, length + 1);
  if (copied <= 0) {
    FreeBlock(text);
    return nullptr;
  }
  return text;
}

void SetControlFocus(uint32_t windowId, uint32_t controlId) {
  if (HWND hwnd = ControlHwnd(windowId, controlId)) SetFocus(hwnd);
}

void OpenUrl(const char* address) {
  // A copy of its own: a later click may free the caller's text while the
  // shell still works (it can run a message loop of its own).
  const std::string copy = address ? address : "";
  HWND owner = FindWindowExA(nullptr, nullptr, nullptr, "Microsoft Internet Explorer");
  g_shellExecute(owner, "open", copy.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

ShellExecuteFunction SetShellExecute(ShellExecuteFunction function) {
  ShellExecuteFunction previous = g_shellExecute;
  g_shellExecute = function;
  return previous;
}
