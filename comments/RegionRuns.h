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

// The same scan fed one row at a time, top row first, for pixels that arrive in pieces.
class RunScanner {
 public:
  RunScanner(int width, std::uint32_t key, std::uint32_t mask = 0x00FFFFFF);
  // `row` holds `width` pixels.
  void AddRow(const std::uint32_t* row);
  // The rectangles of the rows added so far.
  std::vector<RunRect> Take();

 private:
  struct Span {
    int left;
    int right;
  };
  int m_width;
  std::uint32_t m_key;
  std::uint32_t m_mask;
  int m_y = 0;
  // The band open so far: its spans, and where its rectangles start in m_rects.
  std::vector<Span> m_band;
  std::vector<Span> m_row;
  std::size_t m_bandFirst = 0;
  std::vector<RunRect> m_rects;
};

// Whether (x, y) lies in the union of `rects` (right and bottom edges excluded).
bool Contains(const std::vector<RunRect>& rects, int x, int y);

}  // namespace skin
