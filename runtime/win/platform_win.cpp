// The Windows platform under the portable runtime parts.
#include <windows.h>

#include "../platform.h"

void* PlatformAllocateBlock(size_t byteCount) { return HeapAlloc(GetProcessHeap(), 0, byteCount); }

void PlatformReleaseBlock(void* block) { HeapFree(GetProcessHeap(), 0, block); }

std::string AnsiFromUtf8(std::string_view utf8) {
  if (utf8.empty()) return {};
  int wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), wideLength);
  int ansiLength = WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<size_t>(ansiLength), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, ansi.data(), ansiLength, nullptr, nullptr);
  return ansi;
}

void AnsiFromUtf8Into(const char* utf8, char* out, size_t capacity) {
  if (capacity == 0) return;
  wchar_t wide[256];
  int wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 256);
  if (wideLength <= 0) {
    out[0] = '\0';
    return;
  }
  int written = WideCharToMultiByte(CP_ACP, 0, wide, -1, out, static_cast<int>(capacity), nullptr, nullptr);
  if (written <= 0) out[0] = '\0';
  out[capacity - 1] = '\0';
}

void PlatformShowErrorBox(const char* ansiMessage, int) {
  // The box is titled with the program's file name, the one thing the
  // runtime knows of the program.
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  const char* title = path;
  for (DWORD i = 0; i < length; ++i)
    if (path[i] == '\\' || path[i] == '/') title = path + i + 1;
  if (length == 0) title = "";
  MessageBoxA(nullptr, ansiMessage, title, MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
}

void PlatformEndProcess(int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); }
