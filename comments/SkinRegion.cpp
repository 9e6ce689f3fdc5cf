#include "comments/SkinRegion.h"

#include <cstdint>
#include <new>
#include <vector>

#include "comments/RegionRuns.h"

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
  BITMAP bm{};
  if (::GetObjectA(bitmap, sizeof bm, &bm) != sizeof bm || bm.bmWidth <= 0 || bm.bmHeight <= 0) {
    return nullptr;
  }
  // One read of the whole bitmap, 32 bits per pixel whatever its format, top row first (negative
  // height), so that the scan walks the rows in the order of the region's rectangles.
  const int width = bm.bmWidth;
  const int height = bm.bmHeight;
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::vector<std::uint32_t> pixels;
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
  const std::vector<skin::RunRect> runs = skin::ScanRuns(pixels.data(), width, height, DibPixelOf(key));

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
