// The process entry point of a program on the runtime. The program gives
// its start routine and the table of routines its forms may name.
#include <windows.h>

#include <cstdlib>

#include "../lifecycle.h"

int ProgramMain();
const HandlerTable& ProgramHandlers();

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return RunProgram(&ProgramMain, ProgramHandlers()); }

// A GUI program has no console for the C++ library's verbose terminate
// message, and the demangler it brings is a fifth of the exe.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
