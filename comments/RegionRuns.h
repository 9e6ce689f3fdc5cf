#pragma once
// The run-length scan that turns a skin bitmap into the rectangles of its window region.
// Platform-free: it works on pixels already read into memory.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace skin {

struct RunRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

inline bool operator==(const RunRect& a, const RunRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Pixels of a width x height image, top row first, `stride` pixels from one row to the next,
// compared with `key` under `mask` (a 32-bit device-independent pixel carries an unused top byte).
struct PixelView {
  const std::uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  std::ptrdiff_t stride = 0;
  std::uint32_t mask = 0x00FFFFFF;
};

// The region of all pixels that are not the key colour, as rectangles in banded order: sorted by
// top, then by left, rectangles of one band share top and bottom and do not touch. A run reaches
// exactly up to the next key pixel; consecutive rows with the same runs share one rectangle per
// run, so a bitmap without key pixels gives one rectangle and an all-key bitmap none.
std::vector<RunRect> ScanRuns(const PixelView& image, std::uint32_t key);

// Whether (x, y) lies in the union of `rects` (right and bottom edges excluded).
bool Contains(const std::vector<RunRect>& rects, int x, int y);

}  // namespace skin
