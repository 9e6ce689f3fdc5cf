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

PictureHandle DecodePicture(HGLOBAL block, DWORD size, bool streamOwnsBlock) {
  IStream* stream = nullptr;
  if (FAILED(::CreateStreamOnHGlobal(block, streamOwnsBlock ? TRUE : FALSE, &stream)) || !stream) {
    if (streamOwnsBlock) ::GlobalFree(block);
    return PictureHandle();
  }
  UniqueHandle<ComTraits<IStream>> streamHandle(stream);
  void* picture = nullptr;
  const HRESULT hr = ::OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture, &picture);
  if (FAILED(hr) || !picture) return PictureHandle();
  return PictureHandle(static_cast<IPicture*>(picture));
}
