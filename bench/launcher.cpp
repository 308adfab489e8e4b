// Start-up benchmark launcher (runs on the Windows side):
//   launcher RUNS PROGRAM.exe FLOOR.exe
// Starts the two programs alternately RUNS times each. For each start it
// measures, with QueryPerformanceCounter from just before CreateProcess:
// the time until the program has a visible top-level window, and the time
// until the process has ended after WM_CLOSE was posted to that window;
// then the peak working set of the child. Prints the medians and the ratios
// program/floor.
#define PSAPI_VERSION 2
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Sample {
  double visibleMs;
  double exitMs;
  SIZE_T peakWorkingSet;
};

double g_ticksPerMs;

double Since(const LARGE_INTEGER& start) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart - start.QuadPart) / g_ticksPerMs;
}

struct Search {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindVisible(HWND hwnd, LPARAM param) {
  Search* search = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == search->pid && IsWindowVisible(hwnd)) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

bool RunOnce(const char* exe, Sample& sample) {
  char commandLine[MAX_PATH + 3];
  std::snprintf(commandLine, sizeof commandLine, "\"%s\"", exe);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  if (!CreateProcessA(exe, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    std::fprintf(stderr, "launcher: cannot start %s (error %lu)\n", exe, GetLastError());
    return false;
  }
  CloseHandle(process.hThread);

  Search search = {process.dwProcessId, nullptr};
  for (;;) {
    EnumWindows(&FindVisible, reinterpret_cast<LPARAM>(&search));
    if (search.found) break;
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0 || Since(start) > 30000) {
      std::fprintf(stderr, "launcher: %s showed no window\n", exe);
      TerminateProcess(process.hProcess, 1);
      CloseHandle(process.hProcess);
      return false;
    }
    Sleep(1);
  }
  sample.visibleMs = Since(start);

  // The peak so far, in case the counters are gone once the process has ended.
  PROCESS_MEMORY_COUNTERS before = {}, after = {};
  before.cb = after.cb = sizeof before;
  GetProcessMemoryInfo(process.hProcess, &before, sizeof before);

  PostMessageA(search.found, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
    std::fprintf(stderr, "launcher: %s did not end after WM_CLOSE\n", exe);
    TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    return false;
  }
  sample.exitMs = Since(start);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  bool afterRead = GetProcessMemoryInfo(process.hProcess, &after, sizeof after) && after.PeakWorkingSetSize;
  sample.peakWorkingSet = std::max(before.PeakWorkingSetSize, afterRead ? after.PeakWorkingSetSize : 0);
  CloseHandle(process.hProcess);
  if (exitCode != 0) {
    std::fprintf(stderr, "launcher: %s ended with exit code %lu\n", exe, exitCode);
    return false;
  }
  return true;
}

template <typename Field>
double Median(std::vector<Sample> samples, Field field) {
  std::vector<double> values;
  for (const Sample& s : samples) values.push_back(static_cast<double>(field(s)));
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: launcher RUNS PROGRAM.exe FLOOR.exe\n");
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  g_ticksPerMs = static_cast<double>(frequency.QuadPart) / 1000.0;

  const char* exes[2] = {argv[2], argv[3]};
  std::vector<Sample> samples[2];
  for (int run = 0; run < runs; ++run) {
    for (int which = 0; which < 2; ++which) {
      Sample sample;
      if (!RunOnce(exes[which], sample)) return 1;
      samples[which].push_back(sample);
    }
  }

  auto visible = [](const Sample& s) { return s.visibleMs; };
  auto exited = [](const Sample& s) { return s.exitMs; };
  auto peak = [](const Sample& s) { return static_cast<double>(s.peakWorkingSet) / 1024.0; };
  const double v[2] = {Median(samples[0], visible), Median(samples[1], visible)};
  const double e[2] = {Median(samples[0], exited), Median(samples[1], exited)};
  const double p[2] = {Median(samples[0], peak), Median(samples[1], peak)};
  std::printf("medians of %d runs each, alternating\n", runs);
  std::printf("%-34s %12s %12s %8s\n", "", "qqshare", "floor", "ratio");
  std::printf("%-34s %12.1f %12.1f %8.2f\n", "start to window visible (ms)", v[0], v[1], v[0] / v[1]);
  std::printf("%-34s %12.1f %12.1f %8.2f\n", "start to exit after WM_CLOSE (ms)", e[0], e[1], e[0] / e[1]);
  std::printf("%-34s %12.0f %12.0f %8.2f\n", "peak working set (KiB)", p[0], p[1], p[0] / p[1]);
  return 0;
}
