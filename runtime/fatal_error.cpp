#include "fatal_error.h"

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
  PlatformEndProcess(-1);  // a seam that returns still ends the run
}

namespace {

// Appends what fits of text to out; keeps room for the NUL.
char* Append(char* out, const char* end, const char* text, size_t length) {
  size_t room = static_cast<size_t>(end - out) - 1;
  if (length > room) length = room;
  std::memcpy(out, text, length);
  return out + length;
}

}  // namespace

void ReportAllocationFailure(size_t byteCount) {
  // The heap has just failed: build the message on the stack, without the
  // C library's formatting (which may want memory of its own).
  char ansiTemplate[128];
  AnsiFromUtf8Into(runtime_messages::kAllocationFailed, ansiTemplate, sizeof ansiTemplate);
  char digits[24];
  char* digit = digits + sizeof digits;
  do {
    *--digit = static_cast<char>('0' + byteCount % 10);
    byteCount /= 10;
  } while (byteCount);

  char message[160];
  const char* end = message + sizeof message;
  char* out = message;
  const char* mark = std::strstr(ansiTemplate, "%d");
  if (mark) {
    out = Append(out, end, ansiTemplate, static_cast<size_t>(mark - ansiTemplate));
    out = Append(out, end, digit, static_cast<size_t>(digits + sizeof digits - digit));
    out = Append(out, end, mark + 2, std::strlen(mark + 2));
  } else {
    out = Append(out, end, ansiTemplate, std::strlen(ansiTemplate));
  }
  *out = '\0';
  ReportRuntimeError(message, 0);
}

FatalErrorEffects SetFatalErrorEffects(FatalErrorEffects effects) {
  FatalErrorEffects previous = g_effects;
  g_effects = effects;
  return previous;
}
