// The process entry point of a program on the runtime. The program gives
// its start routine and the table of routines its forms may name.
#include <windows.h>

#include "../lifecycle.h"

int ProgramMain();
const HandlerTable& ProgramHandlers();

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return RunProgram(&ProgramMain, ProgramHandlers()); }
