#include "comments/SkinRegion.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

#include "comments/RegionRuns.h"

namespace {

// The most the pixel buffer holds: a band of this many bytes' worth of rows, at least one row.
constexpr std::size_t kBandBytes = 256 * 1024;

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
  // The pixels are read 32 bits each, whatever the bitmap's format, a band of rows at a time
  // into one small buffer. A buffer of the whole bitmap (1.4 MB for the 192-DPI skin) would be
  // fresh memory at every build, and on a machine that maps memory lazily its first touches cost
  // more than the read and the scan together.
  const int width = bm.bmWidth;
  const int height = bm.bmHeight;
  const std::size_t rowBytes = static_cast<std::size_t>(width) * sizeof(std::uint32_t);
  const int bandRows = static_cast<int>(
      std::max<std::size_t>(1, std::min<std::size_t>(static_cast<std::size_t>(height), kBandBytes / rowBytes)));
  std::vector<std::uint32_t> band;
  try {
    band.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(bandRows));
  } catch (const std::bad_alloc&) {
    return nullptr;  // no memory for the read: the same failure as a refused read
  }
  // Bottom-up (positive height): scan lines are counted from the bottom row, the numbering that
  // the documentation gives for reading part of a bitmap.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  skin::RunScanner scanner(width, DibPixelOf(key));
  for (int top = 0; top < height; top += bandRows) {
    const int rows = std::min(bandRows, height - top);
    // The band's lowest row, counted from the bottom of the bitmap.
    const UINT first = static_cast<UINT>(height - top - rows);
    if (api.getDIBits(dc, bitmap, first, static_cast<UINT>(rows), band.data(), &info,
                      DIB_RGB_COLORS) != rows) {
      return nullptr;
    }
    // The band arrives bottom row first; the scan takes the rows from the top.
    for (int row = rows - 1; row >= 0; --row)
      scanner.AddRow(band.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(width));
  }
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
