#include "widgets/GifBlockAllocator.h"

#include <cstdlib>

namespace {

void* AllocateHeapBlock(std::size_t bytes) { return std::malloc(bytes == 0 ? 1 : bytes); }

void ReleaseHeapBlock(void* block) { std::free(block); }

}  // namespace

GifBlockAllocator HeapGifBlockAllocator() { return {&AllocateHeapBlock, &ReleaseHeapBlock}; }
