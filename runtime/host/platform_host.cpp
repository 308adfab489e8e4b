// The host build's platform: malloc for text memory, UTF-8 as the "ANSI"
// code page, stderr for the error box.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "../platform.h"

void* PlatformAllocateBlock(size_t byteCount) { return std::malloc(byteCount); }
void PlatformReleaseBlock(void* block) { std::free(block); }

std::string AnsiFromUtf8(std::string_view utf8) { return std::string(utf8); }

void AnsiFromUtf8Into(const char* utf8, char* out, size_t capacity) {
  if (capacity == 0) return;
  std::snprintf(out, capacity, "%s", utf8);
}

void PlatformShowErrorBox(const char* ansiMessage, int code) {
  std::fprintf(stderr, "fatal runtime error %d: %s\n", code, ansiMessage);
}

void PlatformEndProcess(int exitCode) { std::_Exit(exitCode); }

void ReleaseRuntimeResources() {}
