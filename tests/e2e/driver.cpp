#include "driver.h"

#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

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

std::string PercentDecode(const std::string& text) {
  auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && digit(text[i + 1]) >= 0 && digit(text[i + 2]) >= 0) {
      out += static_cast<char>(digit(text[i + 1]) * 16 + digit(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// --- Program ----------------------------------------------------------------

Program::Program(const std::string& exe, const std::string& arguments, const std::string& directory) {
  std::string commandLine = "\"" + exe + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  // An exe written a moment ago (a damaged copy) may still be held by the
  // writer under Wine: try again for a while before calling it a failure.
  for (int attempt = 0;; ++attempt) {
    if (CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       directory.empty() ? nullptr : directory.c_str(), &startup, &info))
      break;
    if (attempt == 30 || GetFileAttributesA(exe.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    Sleep(100);
  }
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

namespace {

// Calls visit(base, size) for each committed private region that can be read.
template <typename Visit>
bool EachPrivateRegion(HANDLE process, Visit visit) {
  MEMORY_BASIC_INFORMATION region;
  const char* at = nullptr;
  bool any = false;
  while (VirtualQueryEx(process, at, &region, sizeof region) == sizeof region) {
    any = true;
    const DWORD unreadable = PAGE_NOACCESS | PAGE_GUARD;
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE && !(region.Protect & unreadable))
      visit(static_cast<const char*>(region.BaseAddress), region.RegionSize);
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return any;
}

DWORD ListedHandles(DWORD processId) {
  auto query = reinterpret_cast<decltype(&NtQuerySystemInformation)>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return 0;
  std::vector<char> buffer(1 << 20);
  ULONG needed = 0;
  while (query(SystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed) ==
         static_cast<NTSTATUS>(0xC0000004) /* STATUS_INFO_LENGTH_MISMATCH */)
    buffer.resize(buffer.size() * 2);
  for (size_t at = 0;;) {
    const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer.data() + at);
    if (reinterpret_cast<ULONG_PTR>(entry->UniqueProcessId) == processId) return entry->HandleCount;
    if (!entry->NextEntryOffset) return 0;
    at += entry->NextEntryOffset;
  }
}

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM param) {
  ++*reinterpret_cast<DWORD*>(param);
  EnumChildWindows(hwnd, [](HWND, LPARAM count) -> BOOL {
    ++*reinterpret_cast<DWORD*>(count);
    return TRUE;
  }, param);
  return TRUE;
}

BOOL CALLBACK CountProcessWindows(HWND hwnd, LPARAM param) {
  auto* count = reinterpret_cast<std::pair<DWORD, DWORD>*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner == count->first) CountWindow(hwnd, reinterpret_cast<LPARAM>(&count->second));
  return TRUE;
}

}  // namespace

ProcessFigures Program::Figures() const {
  ProcessFigures figures;
  PROCESS_MEMORY_COUNTERS_EX memory = {};
  memory.cb = sizeof memory;
  if (!process_ || !GetProcessMemoryInfo(process_, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
    return figures;
  figures.privateUsage = memory.PrivateUsage;
  figures.workingSet = memory.WorkingSetSize;
  if (!EachPrivateRegion(process_, [&](const char*, SIZE_T size) { figures.committedPrivate += size; }))
    return figures;
  GetProcessHandleCount(process_, &figures.handleCount);
  figures.listedHandles = ListedHandles(id_);
  figures.userObjects = GetGuiResources(process_, GR_USEROBJECTS);
  figures.gdiObjects = GetGuiResources(process_, GR_GDIOBJECTS);
  std::pair<DWORD, DWORD> windows = {id_, 0};
  EnumWindows(&CountProcessWindows, reinterpret_cast<LPARAM>(&windows));
  figures.windows = windows.second;
  figures.read = true;
  return figures;
}

size_t Program::CountInMemory(const std::string& bytes) const {
  const std::string wanted = bytes + '\0';
  size_t count = 0;
  std::string region;
  EachPrivateRegion(process_, [&](const char* base, SIZE_T size) {
    region.resize(size);
    SIZE_T read = 0;
    if (!ReadProcessMemory(process_, base, region.data(), size, &read)) return;
    region.resize(read);
    for (size_t at = region.find(wanted); at != std::string::npos; at = region.find(wanted, at + 1)) ++count;
  });
  return count;
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

bool SetText(HWND hwnd, const std::string& bytes, DWORD timeoutMs) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(bytes.c_str()), SMTO_ABORTIFHUNG,
                             timeoutMs, &result) != 0 &&
         result == TRUE;
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

bool Responsive(HWND hwnd, DWORD timeoutMs) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

bool SendClick(HWND button, DWORD timeoutMs) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(button, BM_CLICK, 0, 0, 0, timeoutMs, &result) != 0;
}

namespace {

template <typename Visit>
void EachProcess(Visit visit) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    visit(entry);
  CloseHandle(snapshot);
}

BOOL CALLBACK CollectVisible(HWND hwnd, LPARAM param) {
  if (IsWindowVisible(hwnd)) reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
  return TRUE;
}

INPUT KeyInput(WORD key, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

}  // namespace

std::vector<ProcessEntry> Processes() {
  std::vector<ProcessEntry> processes;
  EachProcess([&](const PROCESSENTRY32& entry) { processes.push_back({entry.th32ProcessID, entry.szExeFile}); });
  return processes;
}

std::vector<HWND> VisibleTopLevelWindows() {
  std::vector<HWND> windows;
  EnumWindows(&CollectVisible, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

bool PressKeys(const std::vector<WORD>& virtualKeys) {
  std::vector<INPUT> inputs;
  for (WORD key : virtualKeys) inputs.push_back(KeyInput(key, false));
  for (auto key = virtualKeys.rbegin(); key != virtualKeys.rend(); ++key) inputs.push_back(KeyInput(*key, true));
  return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

bool ClickAt(POINT screen) {
  if (!SetCursorPos(screen.x, screen.y)) return false;
  INPUT clicks[2] = {};
  clicks[0].type = clicks[1].type = INPUT_MOUSE;
  clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  return SendInput(2, clicks, sizeof(INPUT)) == 2;
}

bool BringToFront(HWND window, DWORD timeoutMs) {
  return WaitUntil(
      [&] {
        if (GetForegroundWindow() == window) return true;
        SetForegroundWindow(window);
        return false;
      },
      timeoutMs);
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

// Reads on from where it stopped, so a long log is not read again each time.
void Recorder::ReadOn() {
  std::ifstream in(path_, std::ios::binary | std::ios::ate);
  if (!in) return;
  const unsigned long long size = static_cast<unsigned long long>(in.tellg());
  if (size <= offset_) return;
  std::string chunk(static_cast<size_t>(size - offset_), '\0');
  in.seekg(static_cast<std::streamoff>(offset_));
  in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
  chunk.resize(static_cast<size_t>(in.gcount()));
  size_t start = 0;
  for (size_t end; (end = chunk.find('\n', start)) != std::string::npos; start = end + 1)
    pending_.push_back(chunk.substr(start, end - start));
  offset_ += start;
}

void Recorder::Mark() {
  ReadOn();
  pending_.clear();
  taken_ = 0;
}

bool Recorder::WaitForNext(DWORD timeoutMs, std::string* line) {
  if (!WaitUntil(
          [&] {
            if (taken_ == pending_.size()) ReadOn();
            return taken_ < pending_.size();
          },
          timeoutMs))
    return false;
  *line = pending_[taken_++];
  if (taken_ == pending_.size()) {
    pending_.clear();
    taken_ = 0;
  }
  return true;
}

}  // namespace e2e
