// The run of a program on the runtime: preparing, loading the start-up
// window, the message loop, shutdown.
#pragma once
#include <cstdint>
#include <string_view>

#include "form.h"

// Prepares the runtime: text memory, OLE, current directory, the owner
// window, the constant-text range, then the form description stored in the
// program's resource "FORM" read and bound to the handlers RunProgram was given.
void InitializeRuntime();
// The same, with the description given as text (tests, tools).
void InitializeRuntimeWithForm(std::string_view formText, const HandlerTable& handlers);

// Makes the window with that id; returns only on success.
void LoadStartupWindow(uint32_t windowId);
// Dispatches until the quit message; returns at once if no window is alive.
void RunMessageLoop();

// What the entry point does: ProgramMain, then shutdown. Returns the exit
// code, which is the code of the quit message that ended the loop.
int RunProgram(int (*programMain)(), const HandlerTable& handlers);

// Shutdown after the program's start routine has returned: descriptions
// dropped, exit routines run, runtime resources released, OLE uninitialised.
void ShutdownRuntime();

bool IsMessageLoopRunning();
// Number of the program's windows alive.
size_t LiveWindowCount();
