// The run-length scan against the pixel-by-pixel definition of the region: a pixel belongs to it
// exactly when it is not the key colour.
#include "comments/RegionRuns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace skin {
bool operator==(const RunRect& a, const RunRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
}  // namespace skin

namespace {

constexpr std::uint32_t kKey = 0x00FF00FF;
constexpr std::uint32_t kInk = 0x00336699;

struct Image {
  int width;
  int height;
  std::vector<std::uint32_t> pixels;

  Image(int w, int h, std::uint32_t fill = kInk) : width(w), height(h), pixels(w * h, fill) {}
  std::uint32_t& at(int x, int y) { return pixels[y * width + x]; }
};

std::vector<skin::RunRect> Scan(const Image& image) {
  skin::RunScanner scanner(image.width, kKey);
  for (int y = 0; y < image.height; ++y) scanner.AddRow(image.pixels.data() + y * image.width);
  return scanner.Take();
}

// Whether (x, y) lies in the union of `rects` (right and bottom edges excluded).
bool Contains(const std::vector<skin::RunRect>& rects, int x, int y) {
  return std::any_of(rects.begin(), rects.end(), [&](const skin::RunRect& r) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
  });
}

// Every pixel in or out as the key says, and the rectangles banded: sorted by top then left,
// one band's rectangles sharing top and bottom, not touching, no empty rectangle.
void ExpectExactRegion(const Image& image, const std::vector<skin::RunRect>& rects) {
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const bool key = (image.pixels[y * image.width + x] & 0x00FFFFFF) == kKey;
      ASSERT_EQ(!key, Contains(rects, x, y)) << "pixel " << x << "," << y;
    }
  }
  for (std::size_t i = 0; i < rects.size(); ++i) {
    const skin::RunRect& r = rects[i];
    ASSERT_LT(r.left, r.right);
    ASSERT_LT(r.top, r.bottom);
    ASSERT_GE(r.left, 0);
    ASSERT_LE(r.right, image.width);
    if (i == 0) continue;
    const skin::RunRect& p = rects[i - 1];
    if (p.top == r.top) {
      ASSERT_EQ(p.bottom, r.bottom);
      ASSERT_LT(p.right, r.left) << "rectangles of one band touch";
    } else {
      ASSERT_LE(p.bottom, r.top) << "bands overlap";
    }
  }
}

TEST(RegionRuns, ShapesAtTheEdges) {
  {
    SCOPED_TRACE("no key pixel: one rectangle covering the bitmap");
    Image image(7, 5);
    const auto rects = Scan(image);
    ASSERT_EQ(1u, rects.size());
    EXPECT_EQ((skin::RunRect{0, 0, 7, 5}), rects[0]);
  }
  {
    SCOPED_TRACE("all key: empty region");
    Image image(6, 4, kKey);
    EXPECT_TRUE(Scan(image).empty());
  }
  {
    SCOPED_TRACE("key at x = 0 and x = width - 1 leaves exactly the pixels between");
    Image image(8, 1);
    image.at(0, 0) = kKey;
    image.at(7, 0) = kKey;
    const auto rects = Scan(image);
    ASSERT_EQ(1u, rects.size());
    EXPECT_EQ((skin::RunRect{1, 0, 7, 1}), rects[0]);
  }
  {
    SCOPED_TRACE("whole key rows split the bands");
    Image image(5, 6);
    for (int x = 0; x < 5; ++x) {
      image.at(x, 0) = kKey;
      image.at(x, 3) = kKey;
      image.at(x, 5) = kKey;
    }
    const auto rects = Scan(image);
    ASSERT_EQ(2u, rects.size());
    EXPECT_EQ((skin::RunRect{0, 1, 5, 3}), rects[0]);
    EXPECT_EQ((skin::RunRect{0, 4, 5, 5}), rects[1]);
    ExpectExactRegion(image, rects);
  }
  {
    SCOPED_TRACE("a single pixel, in and out");
    Image in(1, 1);
    EXPECT_EQ(1u, Scan(in).size());
    Image out(1, 1, kKey);
    EXPECT_TRUE(Scan(out).empty());
  }
}

TEST(RegionRuns, RoundedCornersAndHoles) {
  // A skin-like shape: cut corners, a hole in the middle, a ragged right edge.
  Image image(40, 30);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      const int cx = x < 20 ? x : 39 - x;
      const int cy = y < 15 ? y : 29 - y;
      if (cx + cy < 4) image.at(x, y) = kKey;
      if (x >= 15 && x < 25 && y >= 10 && y < 20) image.at(x, y) = kKey;
      if (x == 39 && y % 3 == 0) image.at(x, y) = kKey;
    }
  }
  ExpectExactRegion(image, Scan(image));
}

TEST(RegionRuns, RandomImagesMatchThePixels) {
  std::mt19937 random(562530);
  for (int round = 0; round < 200; ++round) {
    const int w = 1 + static_cast<int>(random() % 33);
    const int h = 1 + static_cast<int>(random() % 17);
    Image image(w, h);
    const unsigned density = random() % 100;
    for (auto& p : image.pixels) {
      if (random() % 100 < density) p = kKey;
    }
    // Repeated rows, which the scan merges into bands.
    for (int y = 1; y < h; ++y) {
      if (random() % 3 == 0) {
        for (int x = 0; x < w; ++x) image.at(x, y) = image.at(x, y - 1);
      }
    }
    SCOPED_TRACE(testing::Message() << "round " << round << " " << w << "x" << h);
    ExpectExactRegion(image, Scan(image));
  }
}

TEST(RegionRuns, PixelFormatDetails) {
  {
    SCOPED_TRACE("the unused top byte of a 32-bit pixel does not matter");
    Image image(4, 1);
    image.at(1, 0) = 0xFF000000 | kKey;
    image.at(2, 0) = 0x12000000 | kKey;
    const auto rects = Scan(image);
    ASSERT_EQ(2u, rects.size());
    EXPECT_EQ((skin::RunRect{0, 0, 1, 1}), rects[0]);
    EXPECT_EQ((skin::RunRect{3, 0, 4, 1}), rects[1]);
  }
  {
    SCOPED_TRACE("a near-key colour is not the key");
    Image image(3, 1, kKey);
    image.at(1, 0) = 0x00FF00FE;
    const auto rects = Scan(image);
    ASSERT_EQ(1u, rects.size());
    EXPECT_EQ((skin::RunRect{1, 0, 2, 1}), rects[0]);
  }
  {
    SCOPED_TRACE("no pixels, no rectangles");
    EXPECT_TRUE(skin::RunScanner(3, kKey).Take().empty());
    const std::uint32_t pixel = kInk;
    skin::RunScanner empty(0, kKey);
    empty.AddRow(&pixel);
    EXPECT_TRUE(empty.Take().empty());
  }
}

}  // namespace
