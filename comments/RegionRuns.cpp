#include "comments/RegionRuns.h"

#include <algorithm>

namespace skin {
namespace {

struct Span {
  int left;
  int right;
};

bool SameSpans(const std::vector<Span>& a, const std::vector<Span>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const Span& p, const Span& q) { return p.left == q.left && p.right == q.right; });
}

void ScanRow(const std::uint32_t* row, int width, std::uint32_t key, std::uint32_t mask,
             std::vector<Span>& out) {
  out.clear();
  int x = 0;
  while (x < width) {
    while (x < width && (row[x] & mask) == key) ++x;
    const int start = x;
    while (x < width && (row[x] & mask) != key) ++x;
    // A row that ends in key pixels leaves an empty run behind, which adds nothing.
    if (x > start) out.push_back({start, x});
  }
}

}  // namespace

std::vector<RunRect> ScanRuns(const PixelView& image, std::uint32_t key) {
  std::vector<RunRect> rects;
  if (!image.pixels || image.width <= 0 || image.height <= 0) return rects;
  key &= image.mask;

  // The band open so far: its spans, its top row, and where its rectangles start in `rects`.
  std::vector<Span> band;
  std::vector<Span> row;
  int bandTop = 0;
  std::size_t bandFirst = 0;
  for (int y = 0; y < image.height; ++y) {
    ScanRow(image.pixels + y * image.stride, image.width, key, image.mask, row);
    if (y > 0 && SameSpans(row, band)) {
      for (std::size_t i = bandFirst; i < rects.size(); ++i) rects[i].bottom = y + 1;
      continue;
    }
    band.swap(row);
    bandTop = y;
    bandFirst = rects.size();
    for (const Span& s : band) rects.push_back({s.left, bandTop, s.right, y + 1});
  }
  return rects;
}

bool Contains(const std::vector<RunRect>& rects, int x, int y) {
  return std::any_of(rects.begin(), rects.end(), [&](const RunRect& r) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
  });
}

}  // namespace skin
