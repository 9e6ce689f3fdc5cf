#include "comments/RegionRuns.h"

#include <algorithm>
#include <cstddef>

namespace skin {

namespace {

constexpr std::uint32_t kColourBits = 0x00FFFFFF;

struct Span {
  int left;
  int right;
  bool operator==(const Span& other) const { return left == other.left && right == other.right; }
};

}  // namespace

std::vector<RunRect> ScanRuns(const std::uint32_t* pixels, int width, int height, std::uint32_t key) {
  std::vector<RunRect> rects;
  if (pixels == nullptr || width <= 0 || height <= 0) return rects;
  key &= kColourBits;
  // The band open so far: its spans, and where its rectangles start in `rects`.
  std::vector<Span> band;
  std::vector<Span> row;
  std::size_t bandFirst = 0;
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* line = pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    row.clear();
    int x = 0;
    while (x < width) {
      while (x < width && (line[x] & kColourBits) == key) ++x;
      const int start = x;
      while (x < width && (line[x] & kColourBits) != key) ++x;
      // A row that ends in key pixels leaves an empty run behind, which adds nothing.
      if (x > start) row.push_back({start, x});
    }
    if (y > 0 && row == band) {
      for (std::size_t i = bandFirst; i < rects.size(); ++i) rects[i].bottom = y + 1;
      continue;
    }
    band.swap(row);
    bandFirst = rects.size();
    for (const Span& s : band) rects.push_back({s.left, y, s.right, y + 1});
  }
  return rects;
}

}  // namespace skin
