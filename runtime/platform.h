// What the portable runtime parts need of the platform they run on. The
// Windows runtime provides these; the host build has its own small set.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

void* PlatformAllocateBlock(size_t byteCount);
void PlatformReleaseBlock(void* block);

// UTF-8 to the ANSI code page.
std::string AnsiFromUtf8(std::string_view utf8);
// The same into a caller's buffer, without touching the heap (for the
// allocation-failure message); always NUL-terminates, truncating if needed.
void AnsiFromUtf8Into(const char* utf8, char* out, size_t capacity);

void PlatformShowErrorBox(const char* ansiMessage, int code);
[[noreturn]] void PlatformEndProcess(int exitCode);
// Releases what the runtime holds (windows, OLE): step 2.4-2.5 of shutdown.
void ReleaseRuntimeResources();
