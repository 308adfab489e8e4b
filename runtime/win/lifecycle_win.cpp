#include "../lifecycle.h"

#include <windows.h>

#include <ole2.h>

#include <cstring>

#include <algorithm>

#include "../exit_routines.h"
#include "../fatal_error.h"
#include "../platform.h"
#include "../text_memory.h"
#include "runtime_state.h"
#include "units.h"

namespace {

constexpr char kOwnerClassName[] = "RuntimeOwnerWindow";
constexpr char kFormResourceName[] = "FORM";

RuntimeState g_state;

void UseProcessHeapForTexts() {
  SetBlockAllocator({&PlatformAllocateBlock, &PlatformReleaseBlock});
}

void InitializeOleOnce() {
  if (!g_state.oleInitialized) g_state.oleInitialized = SUCCEEDED(OleInitialize(nullptr));
}

void EnterExecutableFolder() {
  char path[MAX_PATH + 1];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  path[length] = '\0';
  char* lastBackslash = nullptr;
  for (char* p = path; *p; p = CharNextA(p))
    if (*p == '\\') lastBackslash = p;
  if (!lastBackslash) return;
  *lastBackslash = '\0';
  SetCurrentDirectoryA(path);
}

void MakeOwnerWindow() {
  if (g_state.ownerWindow) return;
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kOwnerClassName;
  RegisterClassA(&windowClass);
  g_state.ownerWindow = CreateWindowExA(WS_EX_TOOLWINDOW, kOwnerClassName, "", 0, 0, 0, 0, 0, nullptr,
                                        nullptr, windowClass.hInstance, nullptr);
}

// The read-only data section of the program's own image holds its constant texts.
void RecordConstantTexts() {
  auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleA(nullptr));
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
  for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
    if (std::memcmp(section->Name, ".rdata", 6) == 0) {
      const BYTE* begin = base + section->VirtualAddress;
      SetConstantTextRange(begin, begin + section->Misc.VirtualSize);
      return;
    }
  }
}

std::string_view StoredFormText() {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC resource = FindResourceA(module, kFormResourceName, MAKEINTRESOURCEA(10) /* RT_RCDATA */);
  if (!resource) return {};
  HGLOBAL loaded = LoadResource(module, resource);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return {};
  return std::string_view(static_cast<const char*>(data), SizeofResource(module, resource));
}

void ReadForm(std::string_view text, const HandlerTable& handlers) {
  FormReadError error;
  if (text.empty() || !ReadFormDescription(text, handlers, &AnsiFromUtf8, g_state.form, error))
    ReportRuntimeError(AnsiFromUtf8(runtime_messages::kFormUnreadable).c_str(), 0);
}

void PrepareRuntime() {
  UseProcessHeapForTexts();
  InitializeOleOnce();
  EnterExecutableFolder();
  MakeOwnerWindow();
  RecordConstantTexts();
}

}  // namespace

RuntimeState& Runtime() { return g_state; }

void InitializeRuntime() {
  PrepareRuntime();
  ReadForm(StoredFormText(), g_state.handlers);
}

void InitializeRuntimeWithForm(std::string_view formText, const HandlerTable& handlers) {
  g_state.handlers = handlers;
  PrepareRuntime();
  ReadForm(formText, handlers);
}

void LoadStartupWindow(uint32_t windowId) {
  const Unit* description = g_state.form.WindowById(windowId);
  if (!description || !FormWindow::Load(*description, /*modal=*/false))
    ReportRuntimeError(AnsiFromUtf8(runtime_messages::kStartupWindowFailed).c_str(), 0);
}

void RunMessageLoop() {
  g_state.loopRunning = true;
  if (g_state.liveWindows.empty()) return;
  MSG msg;
  BOOL got;
  while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
    if (got == -1) break;
    if (FormWindow::PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (got == 0) g_state.quitCode = static_cast<int>(msg.wParam);
}

bool IsMessageLoopRunning() { return g_state.loopRunning; }

size_t LiveWindowCount() { return g_state.liveWindows.size(); }

void ShutdownRuntime() {
  g_state.form = {};
  ProcessExitRoutines().RunAndClear();
  ReleaseRuntimeResources();
}

void ReleaseRuntimeResources() {
  // No quit message for windows that go now: the loop is over.
  g_state.loopRunning = false;
  g_state.form = {};
  while (!g_state.liveWindows.empty()) DestroyWindow(g_state.liveWindows.back()->hwnd());
  if (g_state.ownerWindow) DestroyWindow(g_state.ownerWindow);
  g_state.ownerWindow = nullptr;
  ReleaseSharedResources();
  if (g_state.oleInitialized) OleUninitialize();
  g_state.oleInitialized = false;
}

int RunProgram(int (*programMain)(), const HandlerTable& handlers) {
  g_state.handlers = handlers;
  g_state.quitCode = 0;
  programMain();
  ShutdownRuntime();
  return g_state.quitCode;
}

void RegisterLiveWindow(FormWindow* window) { g_state.liveWindows.push_back(window); }

void ForgetLiveWindow(FormWindow* window) {
  auto& windows = g_state.liveWindows;
  windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
  if (windows.empty() && g_state.loopRunning) PostQuitMessage(0);
}

FormWindow* FindLiveWindow(uint32_t id) {
  for (FormWindow* window : g_state.liveWindows)
    if (window->unit().id == id) return window;
  return nullptr;
}
