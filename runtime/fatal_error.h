// The one place where the run ends on a fatal error: one box naming the
// message, exit routines dropped unrun, runtime clean-up, exit code -1.
#pragma once
#include <cstddef>

// Messages in UTF-8; the box shows them in the ANSI code page.
namespace runtime_messages {
inline constexpr char kAllocationFailed[] = "分配 %d 字节内存失败!";
inline constexpr char kStartupWindowFailed[] = "载入启动窗口失败";
inline constexpr char kFormUnreadable[] = "载入窗口模板数据段出错!";
}  // namespace runtime_messages

// message is ANSI text.
[[noreturn]] void ReportRuntimeError(const char* message, int code);

// Formats kAllocationFailed with the byte count and reports it.
[[noreturn]] void ReportAllocationFailure(size_t byteCount);

// Test seam: the two outward effects of a fatal error. showBox gets the ANSI
// message; endProcess must not return (a test throws from it).
struct FatalErrorEffects {
  void (*showBox)(const char* message, int code);
  void (*endProcess)(int exitCode);  // [[noreturn]] cannot mark a pointer
};
FatalErrorEffects SetFatalErrorEffects(FatalErrorEffects effects);
