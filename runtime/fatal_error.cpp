#include "fatal_error.h"

#include <cstdio>
#include <cstring>

#include "exit_routines.h"
#include "platform.h"

namespace {
FatalErrorEffects g_effects = {&PlatformShowErrorBox, &PlatformEndProcess};
}

void ReportRuntimeError(const char* message, int code) {
  g_effects.showBox(message ? message : "", code);
  ProcessExitRoutines().Clear();
  ReleaseRuntimeResources();
  g_effects.endProcess(-1);
}

void ReportAllocationFailure(size_t byteCount) {
  // The heap has just failed: build the message on the stack.
  char ansiTemplate[128];
  AnsiFromUtf8Into(runtime_messages::kAllocationFailed, ansiTemplate, sizeof ansiTemplate);
  char message[160];
  const char* mark = std::strstr(ansiTemplate, "%d");
  if (mark) {
    std::snprintf(message, sizeof message, "%.*s%llu%s", static_cast<int>(mark - ansiTemplate),
                  ansiTemplate, static_cast<unsigned long long>(byteCount), mark + 2);
  } else {
    std::snprintf(message, sizeof message, "%s", ansiTemplate);
  }
  ReportRuntimeError(message, 0);
}

FatalErrorEffects SetFatalErrorEffects(FatalErrorEffects effects) {
  FatalErrorEffects previous = g_effects;
  g_effects = effects;
  return previous;
}
