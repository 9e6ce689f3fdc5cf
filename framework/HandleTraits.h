#pragma once
// Traits for UniqueHandle per Windows handle kind.
#include <windows.h>
#include <ocidl.h>

#include "framework/Handle.h"

template <class T>
struct GdiObjectTraits {
  using pointer = T;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::DeleteObject(h); }
};

struct MemoryDcTraits {
  using pointer = HDC;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::DeleteDC(h); }
};

struct IconTraits {
  using pointer = HICON;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::DestroyIcon(h); }
};

struct KernelHandleTraits {
  using pointer = HANDLE;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::CloseHandle(h); }
};

template <class I>
struct ComTraits {
  using pointer = I*;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer p) noexcept { p->Release(); }
};

using BitmapHandle = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using RegionHandle = UniqueHandle<GdiObjectTraits<HRGN>>;
using BrushHandle = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using MemoryDcHandle = UniqueHandle<MemoryDcTraits>;
using IconHandle = UniqueHandle<IconTraits>;
using KernelHandle = UniqueHandle<KernelHandleTraits>;
using PictureHandle = UniqueHandle<ComTraits<IPicture>>;
