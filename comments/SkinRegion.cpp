#include "comments/SkinRegion.h"

#include <cstdint>
#include <new>
#include <vector>

#include "comments/RegionRuns.h"
#include "framework/HandleTraits.h"

namespace {

// COLORREF is 0x00BBGGRR; a 32-bit device-independent pixel is 0x00RRGGBB.
std::uint32_t DibPixelOf(COLORREF colour) {
  return (static_cast<std::uint32_t>(GetRValue(colour)) << 16) |
         (static_cast<std::uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
}

}  // namespace

const SkinPlatformApi& RealSkinPlatformApi() {
  static const SkinPlatformApi api = {&::GetWindowLongA, &::SetWindowLongA, &::GetDIBits,
                                      &::ExtCreateRegion, &::SetWindowRgn};
  return api;
}

HRGN BuildSkinRegion(HDC dc, HBITMAP bitmap, COLORREF key, const SkinPlatformApi& api) {
  std::vector<std::uint32_t> pixels;
  return BuildSkinRegion(dc, bitmap, key, api, pixels);
}

HRGN BuildSkinRegion(HDC dc, HBITMAP bitmap, COLORREF key, const SkinPlatformApi& api,
                     std::vector<std::uint32_t>& pixels) {
  BITMAP bm{};
  if (::GetObjectA(bitmap, sizeof bm, &bm) != sizeof bm || bm.bmWidth <= 0 || bm.bmHeight <= 0) {
    return nullptr;
  }
  // One read of the whole bitmap, 32 bits per pixel whatever its format, top row first (negative
  // height), so that the scan walks the rows in the order of the region's rectangles.
  const int width = bm.bmWidth;
  const int height = bm.bmHeight;
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  try {
    pixels.resize(count);
  } catch (const std::bad_alloc&) {
    return nullptr;  // no memory for the read: the same failure as a refused read
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  if (api.getDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info,
                    DIB_RGB_COLORS) != height) {
    return nullptr;
  }
  skin::RunScanner scanner(width, DibPixelOf(key));
  for (int y = 0; y < height; ++y) scanner.AddRow(pixels.data() + static_cast<std::size_t>(y) * width);
  const std::vector<skin::RunRect> runs = scanner.Take();

  // RGNDATA: the header followed by the rectangles, in the banded order the scan produces.
  std::vector<std::uint8_t> data(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
  auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
  header->dwSize = sizeof(RGNDATAHEADER);
  header->iType = RDH_RECTANGLES;
  header->nCount = static_cast<DWORD>(runs.size());
  header->nRgnSize = static_cast<DWORD>(runs.size() * sizeof(RECT));
  RECT bound{0, 0, 0, 0};
  auto* rects = reinterpret_cast<RECT*>(data.data() + sizeof(RGNDATAHEADER));
  for (std::size_t i = 0; i < runs.size(); ++i) {
    rects[i] = RECT{runs[i].left, runs[i].top, runs[i].right, runs[i].bottom};
    if (i == 0) {
      bound = rects[i];
    } else {
      if (rects[i].left < bound.left) bound.left = rects[i].left;
      if (rects[i].right > bound.right) bound.right = rects[i].right;
      if (rects[i].bottom > bound.bottom) bound.bottom = rects[i].bottom;
    }
  }
  header->rcBound = bound;
  return api.extCreateRegion(nullptr, static_cast<DWORD>(data.size()),
                             reinterpret_cast<const RGNDATA*>(data.data()));
}

HRGN BuildSkinRegionPerPixel(HBITMAP bitmap, COLORREF key) {
  BITMAP bm{};
  if (::GetObjectA(bitmap, sizeof bm, &bm) != sizeof bm) return nullptr;
  MemoryDcHandle dc(::CreateCompatibleDC(nullptr));
  if (!dc) return nullptr;
  HGDIOBJ old = ::SelectObject(dc.get(), bitmap);
  RegionHandle region(::CreateRectRgn(0, 0, 0, 0));
  bool ok = static_cast<bool>(region);
  for (int y = 0; ok && y < bm.bmHeight; ++y) {
    int x = 0;
    do {
      while (x < bm.bmWidth && ::GetPixel(dc.get(), x, y) == key) ++x;
      const int start = x;
      while (x < bm.bmWidth && ::GetPixel(dc.get(), x, y) != key) ++x;
      RegionHandle run(::CreateRectRgn(start, y, x, y + 1));
      if (::CombineRgn(region.get(), region.get(), run.get(), RGN_OR) == ERROR) ok = false;
    } while (ok && x < bm.bmWidth);
  }
  ::SelectObject(dc.get(), old);
  return ok ? region.release() : nullptr;
}
