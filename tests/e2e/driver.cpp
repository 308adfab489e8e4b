#include "driver.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace e2e {

namespace {

constexpr UINT kGbk = 936;
constexpr DWORD kSendTimeoutMs = 5000;

std::string Convert(const std::string& text, UINT from, UINT to) {
  if (text.empty()) return {};
  int wideLength = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), wide.data(), wideLength);
  int length = WideCharToMultiByte(to, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(to, 0, wide.data(), wideLength, out.data(), length, nullptr, nullptr);
  return out;
}

struct TopLevelSearch {
  DWORD processId;
  const char* className;
  bool visibleOnly;
  HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<TopLevelSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner != search->processId) return TRUE;
  if (search->visibleOnly && !IsWindowVisible(hwnd)) return TRUE;
  if (ClassName(hwnd) != search->className) return TRUE;
  search->found = hwnd;
  return FALSE;
}

BOOL CALLBACK CollectProcessWindow(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner == search->first) search->second.push_back(hwnd);
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param) {
  auto* children = reinterpret_cast<std::vector<HWND>*>(param);
  children->push_back(hwnd);
  return TRUE;
}

// The head of the process parameters, up to the current directory; the
// layout is the same on 32 and 64 bits once pointers take their size.
struct ProcessParametersHead {
  ULONG maximumLength, length, flags, debugFlags;
  HANDLE console;
  ULONG consoleFlags;
  HANDLE standardInput, standardOutput, standardError;
  USHORT directoryLength, directoryMaximumLength;
  PWSTR directoryBuffer;
};

struct PebHead {
  BYTE reserved1[4];
  PVOID reserved2[2];
  PVOID loader;
  PVOID processParameters;
};

struct BasicInformation {
  LONG exitStatus;
  PVOID pebBaseAddress;
  ULONG_PTR affinityMask;
  LONG basePriority;
  ULONG_PTR uniqueProcessId;
  ULONG_PTR parentProcessId;
};

using QueryInformationProcess = LONG(WINAPI*)(HANDLE, int, PVOID, ULONG, PULONG);

}  // namespace

std::string WindowsPath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string Gbk(const std::string& utf8) { return Convert(utf8, CP_UTF8, kGbk); }
std::string Utf8FromGbk(const std::string& gbk) { return Convert(gbk, kGbk, CP_UTF8); }

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(20);
  }
}

// --- Program ----------------------------------------------------------------

Program::Program(const std::string& exe, const std::string& arguments, const std::string& directory) {
  std::string commandLine = "\"" + exe + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      directory.empty() ? nullptr : directory.c_str(), &startup, &info))
    return;
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  id_ = info.dwProcessId;
}

Program::~Program() {
  if (!process_) return;
  if (Running()) {
    TerminateProcess(process_, 3);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
}

HWND Program::FindTopLevel(const char* className, bool visibleOnly) const {
  TopLevelSearch search = {id_, className, visibleOnly, nullptr};
  EnumWindows(&MatchTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND Program::WaitForWindow(const char* className, DWORD timeoutMs) const {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindTopLevel(className, true)) != nullptr || !Running(); }, timeoutMs);
  return found;
}

std::string Program::DescribeWindows() const {
  std::pair<DWORD, std::vector<HWND>> search = {id_, {}};
  EnumWindows(&CollectProcessWindow, reinterpret_cast<LPARAM>(&search));
  std::string out;
  for (HWND hwnd : search.second)
    out += "[" + ClassName(hwnd) + (IsWindowVisible(hwnd) ? " visible \"" : " hidden \"") +
           Utf8FromGbk(ReadText(hwnd)) + "\"] ";
  return out.empty() ? "no windows" : out;
}

bool Program::WaitForExit(DWORD timeoutMs, DWORD* code) const {
  if (!process_ || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
  GetExitCodeProcess(process_, code);
  return true;
}

bool Program::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

std::string Program::CurrentDirectory() const {
  auto query = reinterpret_cast<QueryInformationProcess>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  BasicInformation basic = {};
  if (!query || query(process_, 0 /* ProcessBasicInformation */, &basic, sizeof basic, nullptr) != 0)
    return {};
  PebHead peb = {};
  ProcessParametersHead parameters = {};
  if (!ReadProcessMemory(process_, basic.pebBaseAddress, &peb, sizeof peb, nullptr) ||
      !ReadProcessMemory(process_, peb.processParameters, &parameters, sizeof parameters, nullptr))
    return {};
  std::wstring wide(parameters.directoryLength / sizeof(wchar_t), L'\0');
  if (!ReadProcessMemory(process_, parameters.directoryBuffer, wide.data(), parameters.directoryLength, nullptr))
    return {};
  int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                   nullptr);
  std::string out(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), out.data(), length, nullptr, nullptr);
  return out;
}

// --- Windows ----------------------------------------------------------------

std::string ReadText(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length)) return {};
  // The length may count a two-byte text generously, never short.
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied))
    return {};
  text.resize(copied);
  return text;
}

void SetText(HWND hwnd, const std::string& bytes) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(bytes.c_str()), SMTO_ABORTIFHUNG,
                      kSendTimeoutMs, &result);
}

std::string ClassName(HWND hwnd) {
  char name[256] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

std::vector<Child> Children(HWND parent) {
  std::vector<HWND> handles;
  EnumChildWindows(parent, &CollectChild, reinterpret_cast<LPARAM>(&handles));
  std::vector<Child> children;
  for (HWND hwnd : handles) {
    if (GetParent(hwnd) != parent) continue;
    Child child = {hwnd, ClassName(hwnd), {}, IsWindowVisible(hwnd) != FALSE};
    GetWindowRect(hwnd, &child.place);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&child.place), 2);
    children.push_back(child);
  }
  return children;
}

HWND FindChildAt(HWND parent, const char* className, int left, int top, int width, int height) {
  for (const Child& child : Children(parent)) {
    const RECT& r = child.place;
    if (lstrcmpiA(child.className.c_str(), className) == 0 && r.left == left && r.top == top &&
        r.right - r.left == width && r.bottom - r.top == height)
      return child.hwnd;
  }
  return nullptr;
}

void PostChars(HWND hwnd, const std::string& bytes) {
  for (unsigned char byte : bytes) PostMessageA(hwnd, WM_CHAR, byte, 1);
}

void PostKey(HWND hwnd, UINT virtualKey) {
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC)) << 16;
  PostMessageA(hwnd, WM_KEYDOWN, virtualKey, scan | 1);
  PostMessageA(hwnd, WM_KEYUP, virtualKey, scan | 1 | (1u << 30) | (1u << 31));
}

// --- Message boxes ----------------------------------------------------------

HWND WaitForMessageBox(const Program& program, DWORD timeoutMs) {
  return program.WaitForWindow("#32770", timeoutMs);
}

std::string MessageBoxText(HWND box) {
  for (const Child& child : Children(box)) {
    if (lstrcmpiA(child.className.c_str(), "Static") != 0) continue;
    std::string text = ReadText(child.hwnd);
    if (!text.empty()) return text;
  }
  return {};
}

void DismissMessageBox(HWND box) {
  for (const Child& child : Children(box)) {
    if (lstrcmpiA(child.className.c_str(), "Button") == 0 && child.visible) {
      PostMessageA(child.hwnd, BM_CLICK, 0, 0);
      return;
    }
  }
  PostMessageA(box, WM_COMMAND, IDOK, 0);
}

// --- Recorder ---------------------------------------------------------------

Recorder::Recorder() {
  if (const char* log = std::getenv("QQ_RECORDER_LOG")) path_ = WindowsPath(log);
}

std::vector<std::string> Recorder::Lines() const {
  std::vector<std::string> lines;
  std::ifstream in(path_, std::ios::binary);
  std::string line;
  // Only finished lines: the recorder may be half-way through one.
  while (std::getline(in, line)) {
    if (in.eof()) break;
    lines.push_back(line);
  }
  return lines;
}

void Recorder::Mark() { seen_ = Lines().size(); }

bool Recorder::WaitForNext(DWORD timeoutMs, std::string* line) {
  std::vector<std::string> lines;
  if (!WaitUntil([&] { return (lines = Lines()).size() > seen_; }, timeoutMs)) return false;
  *line = lines[seen_];
  ++seen_;
  return true;
}

}  // namespace e2e
