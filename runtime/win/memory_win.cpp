// Every C++ allocation of a program on the runtime comes from the process
// heap, and a failed one is the runtime's fatal error naming the byte count,
// as for Texts: a program never meets std::bad_alloc or a crash for it.
#include <windows.h>

#include <new>

#include "../fatal_error.h"

namespace {

void* AllocateOrReport(size_t size) {
  if (size == 0) size = 1;
  void* block = HeapAlloc(GetProcessHeap(), 0, size);
  if (!block) ReportAllocationFailure(size);
  return block;
}

void Release(void* block) noexcept {
  if (block) HeapFree(GetProcessHeap(), 0, block);
}

}  // namespace

void* operator new(size_t size) { return AllocateOrReport(size); }
void* operator new[](size_t size) { return AllocateOrReport(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  return HeapAlloc(GetProcessHeap(), 0, size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  return HeapAlloc(GetProcessHeap(), 0, size ? size : 1);
}
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, size_t) noexcept { Release(block); }
void operator delete[](void* block, size_t) noexcept { Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Release(block); }
