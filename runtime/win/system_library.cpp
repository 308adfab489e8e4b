#include "system_library.h"

#include <cstring>

FARPROC LoadSystemFunction(const char* dll, const char* name) {
  // By full path, so that no DLL of that name beside the exe is taken instead.
  char path[MAX_PATH];
  UINT length = GetSystemDirectoryA(path, MAX_PATH);
  const size_t dllLength = std::strlen(dll);
  if (length == 0 || length + 1 + dllLength + 1 > MAX_PATH) return nullptr;
  path[length] = '\\';
  std::memcpy(path + length + 1, dll, dllLength + 1);
  HMODULE module = LoadLibraryA(path);
  return module ? GetProcAddress(module, name) : nullptr;
}
