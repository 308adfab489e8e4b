#include "runtime_fixture.h"

#include <fstream>
#include <sstream>

namespace {

std::vector<std::string> g_messages;
std::vector<RecordingHeap::Event> g_events;
int g_failIn = 0;
size_t g_failedSize = 0;

void RecordBox(const char* message, int) { g_messages.emplace_back(message); }
[[noreturn]] void ThrowEnd(int exitCode) { throw ProcessEnded{exitCode}; }

void* RecordingAllocate(size_t size) {
  if (g_failIn > 0 && --g_failIn == 0) {
    g_failedSize = size;
    return nullptr;
  }
  void* block = HeapAlloc(GetProcessHeap(), 0, size);
  g_events.push_back({true, block, size});
  return block;
}

void RecordingRelease(void* block) {
  g_events.push_back({false, block, 0});
  HeapFree(GetProcessHeap(), 0, block);
}

}  // namespace

FatalErrorCatcher::FatalErrorCatcher() : previous_(SetFatalErrorEffects({&RecordBox, &ThrowEnd})) {
  g_messages.clear();
}
FatalErrorCatcher::~FatalErrorCatcher() { SetFatalErrorEffects(previous_); }
const std::vector<std::string>& FatalErrorCatcher::messages() { return g_messages; }

RecordingHeap::RecordingHeap() : previous_(SetBlockAllocator({&RecordingAllocate, &RecordingRelease})) {
  g_events.clear();
  g_failIn = 0;
}
RecordingHeap::~RecordingHeap() {
  SetBlockAllocator(previous_);
  g_failIn = 0;
}
std::vector<RecordingHeap::Event>& RecordingHeap::events() { return g_events; }
void RecordingHeap::FailAllocation(int n) {
  g_failIn = n;
  g_failedSize = 0;
}
size_t RecordingHeap::failedSize() { return g_failedSize; }

std::string ReadSourceFile(const char* relativePath) {
  std::ifstream file(std::string(QQSHARE_SOURCE_DIR) + "/" + relativePath, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string Ansi(const char* utf8) {
  wchar_t wide[1024];
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 1024);
  char ansi[2048];
  WideCharToMultiByte(CP_ACP, 0, wide, n, ansi, sizeof ansi, nullptr, nullptr);
  return ansi;
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the caller to see
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}
