// Shared by the in-process Windows tests: catching the fatal-error path,
// recording text memory, and running a form.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "runtime/fatal_error.h"
#include "runtime/form.h"
#include "runtime/lifecycle.h"
#include "runtime/text_memory.h"

// Thrown by the test's endProcess in place of ending the process.
struct ProcessEnded {
  int exitCode;
};

// While alive, fatal errors record their box message and throw ProcessEnded.
class FatalErrorCatcher {
 public:
  FatalErrorCatcher();
  ~FatalErrorCatcher();
  static const std::vector<std::string>& messages();

 private:
  FatalErrorEffects previous_;
};

// Heap blocks with a log of each allocation and release, and a way to fail
// the Nth allocation from now.
class RecordingHeap {
 public:
  struct Event {
    bool allocation;
    void* block;
    size_t size;
  };
  RecordingHeap();
  ~RecordingHeap();
  static std::vector<Event>& events();
  // 1: the next allocation fails; 0: none fails.
  static void FailAllocation(int n);
  // Bytes the failed allocation asked for; 0 if none failed.
  static size_t failedSize();

 private:
  BlockAllocator previous_;
};

std::string ReadSourceFile(const char* relativePath);
std::string Ansi(const char* utf8);
// Dispatches what is queued, without waiting.
void PumpMessages();
