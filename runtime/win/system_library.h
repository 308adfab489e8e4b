// Functions of system DLLs that only some forms need (a spinner, a picture,
// music), loaded from the system folder on first use: a window that uses
// none of them starts without mapping and initialising those DLLs.
#pragma once
#include <windows.h>

// Null if the DLL or the function cannot be had. The DLL stays loaded.
FARPROC LoadSystemFunction(const char* dll, const char* name);

template <typename Function>
Function SystemFunction(const char* dll, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(LoadSystemFunction(dll, name)));
}
