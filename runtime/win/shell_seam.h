// Test seam: what OpenUrl calls to hand an address to the shell.
#pragma once
#include <windows.h>

using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                                LPCSTR directory, INT show);
// Installs a stand-in and returns the previous function.
ShellExecuteFunction SetShellExecute(ShellExecuteFunction function);
