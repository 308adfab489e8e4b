// qqshare's start routine.
#include "../runtime/exit_routines.h"
#include "../runtime/lifecycle.h"
#include "../share/share_link.h"
#include "../ui/main_window.h"

int ProgramMain() {
  InitializeRuntime();
  RegisterExitRoutine(&ReleaseLastShareLink);
  LoadStartupWindow(kMainWindowId);
  RunMessageLoop();
  return 0;
}
