#include "text_memory.h"

#include "fatal_error.h"
#include "platform.h"

namespace {
BlockAllocator g_allocator = {&PlatformAllocateBlock, &PlatformReleaseBlock};
const char* g_constantBegin = nullptr;
const char* g_constantEnd = nullptr;
}  // namespace

void* AllocateBlock(size_t byteCount) {
  void* block = g_allocator.allocate(byteCount);
  if (!block) ReportAllocationFailure(byteCount);
  return block;
}

void FreeBlock(const void* block) {
  if (!block) return;
  const char* p = static_cast<const char*>(block);
  if (p >= g_constantBegin && p < g_constantEnd) return;
  g_allocator.release(const_cast<void*>(block));
}

BlockAllocator SetBlockAllocator(BlockAllocator allocator) {
  BlockAllocator previous = g_allocator;
  g_allocator = allocator;
  return previous;
}

void SetConstantTextRange(const void* begin, const void* end) {
  g_constantBegin = static_cast<const char*>(begin);
  g_constantEnd = static_cast<const char*>(end);
}
