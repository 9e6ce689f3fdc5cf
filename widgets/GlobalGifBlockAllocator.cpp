#include "widgets/GlobalGifBlockAllocator.h"

#include <windows.h>

namespace {

// With GMEM_FIXED the returned HGLOBAL is the block's address, so the splitter can fill it
// directly and the caller can hand the same value to CreateStreamOnHGlobal.
void* AllocateGlobalBlock(std::size_t bytes) { return GlobalAlloc(GMEM_FIXED, bytes); }

void ReleaseGlobalBlock(void* block) {
  if (block != nullptr) GlobalFree(static_cast<HGLOBAL>(block));
}

}  // namespace

GifBlockAllocator GlobalGifBlockAllocator() { return {&AllocateGlobalBlock, &ReleaseGlobalBlock}; }
