#pragma once
// Turning picture bytes in global memory into picture objects with the platform's loader
// (OleLoadPicture over a stream on the block), and the global memory blocks themselves.
#include <windows.h>
#include <ocidl.h>

#include "framework/Handle.h"
#include "framework/HandleTraits.h"
#include "widgets/GifSplitter.h"

struct GlobalMemoryTraits {
  using pointer = HGLOBAL;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::GlobalFree(h); }
};
using GlobalMemoryHandle = UniqueHandle<GlobalMemoryTraits>;

// Keeps a global block locked for a scope.
class GlobalLockScope {
 public:
  explicit GlobalLockScope(HGLOBAL block) : m_block(block), m_data(::GlobalLock(block)) {}
  ~GlobalLockScope() { Unlock(); }
  GlobalLockScope(const GlobalLockScope&) = delete;
  GlobalLockScope& operator=(const GlobalLockScope&) = delete;

  const BYTE* Data() const { return static_cast<const BYTE*>(m_data); }
  void Unlock() {
    if (m_data) ::GlobalUnlock(m_block);
    m_data = nullptr;
  }

 private:
  HGLOBAL m_block;
  void* m_data;
};

// A movable block (GMEM_MOVEABLE | GMEM_NODISCARD) holding a copy of `size` bytes; empty on
// failure.
GlobalMemoryHandle CopyToMovableBlock(const void* data, DWORD size);

// The splitter's one-image GIFs as GMEM_FIXED global memory, which a stream can own (with
// fDeleteOnRelease it frees the block when the stream goes): with GMEM_FIXED the HGLOBAL is the
// block's address, so the splitter fills it directly and the same value goes to the stream.
GifBlockAllocator GlobalGifBlockAllocator();

// Decodes `size` bytes of `block`. With `streamOwnsBlock` the block is handed to the stream,
// which frees it when it goes (also when the stream cannot be made, the block is freed here);
// otherwise the block stays the caller's. Empty when the data does not decode.
PictureHandle DecodePicture(HGLOBAL block, DWORD size, bool streamOwnsBlock);
