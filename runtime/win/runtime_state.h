// The runtime's process-wide state, shared by its Windows parts.
#pragma once
#include <windows.h>

#include <vector>

#include "../form.h"

class FormWindow;

struct RuntimeState {
  HandlerTable handlers = {};
  bool oleInitialized = false;
  HWND ownerWindow = nullptr;
  FormDescription form;
  bool loopRunning = false;
  int quitCode = 0;
  std::vector<FormWindow*> liveWindows;  // owned: each deletes itself when its HWND goes
};

RuntimeState& Runtime();
void RegisterLiveWindow(FormWindow* window);
// Posts the quit message when the last window goes while the loop runs.
void ForgetLiveWindow(FormWindow* window);
FormWindow* FindLiveWindow(uint32_t id);
// Icons, classes and other things made once per process.
void ReleaseSharedResources();
