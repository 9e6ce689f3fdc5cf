#pragma once
// Where the splitter's one-image GIFs live. On Windows each one must be a fixed global memory block
// (GMEM_FIXED, so the pointer is its own HGLOBAL) that a stream can take over and free; natively
// plain heap memory stands in. Both functions are plain C-style so that the table can be swapped
// without templates.
#include <cstddef>

struct GifBlockAllocator {
  void* (*allocate)(std::size_t bytes);  // null when the block cannot be had
  void (*release)(void* block);          // accepts null
};

// malloc/free: the native tree's allocator, and the default of GifSplitter.
GifBlockAllocator HeapGifBlockAllocator();
