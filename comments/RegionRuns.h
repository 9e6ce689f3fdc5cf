#pragma once
// The run-length scan that turns a skin bitmap into the rectangles of its window region.
// Platform-free: it works on pixels already read into memory, one row at a time, top row first.
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

// The region of all pixels that are not the key colour, as rectangles in banded order: sorted by
// top, then by left, rectangles of one band share top and bottom and do not touch. Pixels are
// 32-bit device-independent ones, whose unused top byte is not compared. A run reaches exactly up
// to the next key pixel; consecutive rows with the same runs share one rectangle per run, so an
// image without key pixels gives one rectangle and an all-key image none.
class RunScanner {
 public:
  RunScanner(int width, std::uint32_t key);
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
  int m_y = 0;
  // The band open so far: its spans, and where its rectangles start in m_rects.
  std::vector<Span> m_band;
  std::vector<Span> m_row;
  std::size_t m_bandFirst = 0;
  std::vector<RunRect> m_rects;
};

}  // namespace skin
