// Text memory: every Text the runtime or the program hands out is a block
// from here. AllocateBlock never returns null; a failed allocation is a fatal
// runtime error, so callers check nothing.
#pragma once
#include <cstddef>

// A NUL-terminated byte string in the ANSI code page; null reads as empty.
using Text = char*;

void* AllocateBlock(size_t byteCount);
// Null and pointers into the program's constant texts are ignored.
void FreeBlock(const void* block);

// Test seam: where blocks come from. allocate returns null to fail.
struct BlockAllocator {
  void* (*allocate)(size_t byteCount);
  void (*release)(void* block);
};
// Installs an allocator and returns the previous one.
BlockAllocator SetBlockAllocator(BlockAllocator allocator);
// Marks [begin, end) as constant texts that FreeBlock ignores.
void SetConstantTextRange(const void* begin, const void* end);
