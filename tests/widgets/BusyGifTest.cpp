// The busy animation of the resources (resource 239, res/gif/busy.gif), cut by the splitter. The
// byte counts are those of our artwork: redrawing it means updating them here.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "GifBuilder.h"
#include "SplitGif.h"

namespace {

TEST(BusyGif, SplitsIntoEightFullSizeFramesOf100Ms) {
  std::ifstream in(SIVREL_BUSY_GIF, std::ios::binary);
  ASSERT_TRUE(in) << SIVREL_BUSY_GIF;
  const Bytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(1976u, data.size());

  const SplitResult r = SplitExact(data);
  ASSERT_EQ(8, r.counted);
  ASSERT_EQ(8u, r.frames.size());

  // Frame 0's span: graphic control (8), comment (25), looping extension (19), image (211).
  // The others: graphic control (8) and image.
  const std::size_t one_image_sizes[] = {469, 415, 423, 419, 423, 422, 423, 424};
  std::size_t span_start = 205;
  for (std::size_t i = 0; i < 8; ++i) {
    const SplitFrame& f = r.frames[i];
    EXPECT_EQ(26, f.info.width);
    EXPECT_EQ(26, f.info.height);
    EXPECT_EQ(0, f.info.left);
    EXPECT_EQ(0, f.info.top);
    EXPECT_EQ(10u, f.info.delay);
    EXPECT_EQ(1u, f.info.disposal);
    ASSERT_EQ(one_image_sizes[i], f.image.size()) << "frame " << i;
    EXPECT_EQ(0, std::memcmp(f.image.data(), data.data(), 205)) << "frame " << i;
    const std::size_t span = f.image.size() - 206;
    EXPECT_EQ(span_start, static_cast<std::size_t>(f.offset)) << "frame " << i;
    EXPECT_EQ(0, std::memcmp(f.image.data() + 205, data.data() + span_start, span)) << i;
    EXPECT_EQ(0x3B, f.image.back());
    span_start += span;
  }
  EXPECT_EQ(data.size() - 1, span_start);  // only the trailer is left
}

}  // namespace
