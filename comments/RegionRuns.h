#pragma once
// The run-length scan that turns a skin bitmap into the rectangles of its window region.
// Platform-free: it works on pixels already read into memory.
#include <cstdint>
#include <vector>

namespace skin {

struct RunRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// The region of all pixels of a `width` x `height` image (32-bit device-independent pixels, top
// row first, one row after the other) that are not the `key` colour, as rectangles in banded
// order: sorted by top, then by left, rectangles of one band share top and bottom and do not
// touch. A pixel's unused top byte is not compared. A run reaches exactly up to the next key
// pixel; consecutive rows with the same runs share one rectangle per run, so an image without key
// pixels gives one rectangle and an all-key image none.
std::vector<RunRect> ScanRuns(const std::uint32_t* pixels, int width, int height, std::uint32_t key);

}  // namespace skin
