#include "widgets/PictureDecoding.h"

#include <objbase.h>
#include <olectl.h>

#include <cstring>

GlobalMemoryHandle CopyToMovableBlock(const void* data, DWORD size) {
  GlobalMemoryHandle block(::GlobalAlloc(GMEM_MOVEABLE | GMEM_NODISCARD, size));
  if (!block) return block;
  void* target = ::GlobalLock(block.get());
  if (!target) return GlobalMemoryHandle();
  std::memcpy(target, data, size);
  ::GlobalUnlock(block.get());
  return block;
}

namespace {

void* AllocateGlobalBlock(std::size_t bytes) { return ::GlobalAlloc(GMEM_FIXED, bytes); }

void ReleaseGlobalBlock(void* block) {
  if (block != nullptr) ::GlobalFree(static_cast<HGLOBAL>(block));
}

using OleLoadPictureFunction = HRESULT(WINAPI*)(LPSTREAM, LONG, BOOL, REFIID, LPVOID*);

// The picture loader lives in oleaut32, which the program needs for nothing else. Linked, it
// would be loaded (and partly resident) in every process from the start, while most sessions
// never show a picture that needs it; so it is loaded on the first decode and stays, as the
// pictures it makes run its code. It is one of the system's known libraries, which the loader
// takes from the system folder whatever the search path. Null when it cannot be had: decoding
// then fails.
OleLoadPictureFunction PictureLoader() {
  static const OleLoadPictureFunction loader = [] {
    HMODULE library = ::LoadLibraryA("oleaut32.dll");
    return library ? reinterpret_cast<OleLoadPictureFunction>(
                         reinterpret_cast<void*>(::GetProcAddress(library, "OleLoadPicture")))
                   : nullptr;
  }();
  return loader;
}

}  // namespace

GifBlockAllocator GlobalGifBlockAllocator() { return {&AllocateGlobalBlock, &ReleaseGlobalBlock}; }

PictureHandle DecodePicture(HGLOBAL block, DWORD size, bool streamOwnsBlock) {
  IStream* stream = nullptr;
  if (FAILED(::CreateStreamOnHGlobal(block, streamOwnsBlock ? TRUE : FALSE, &stream)) || !stream) {
    if (streamOwnsBlock) ::GlobalFree(block);
    return PictureHandle();
  }
  UniqueHandle<ComTraits<IStream>> streamHandle(stream);
  const OleLoadPictureFunction load = PictureLoader();
  if (!load) return PictureHandle();
  void* picture = nullptr;
  const HRESULT hr = load(stream, static_cast<LONG>(size), FALSE, IID_IPicture, &picture);
  if (FAILED(hr) || !picture) return PictureHandle();
  return PictureHandle(static_cast<IPicture*>(picture));
}
