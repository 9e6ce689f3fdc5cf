// The busy animation of the resources (resource 239, res/gif/busy.gif), cut by the splitter.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "GifBuilder.h"
#include "SplitGif.h"

namespace {

TEST(BusyGif, SplitsIntoEightFullSizeFramesOf100Ms) {
  std::ifstream in(SIVREL_BUSY_GIF, std::ios::binary);
  if (!in) GTEST_SKIP() << SIVREL_BUSY_GIF << " is not there yet";
  const Bytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

  const SplitResult r = SplitGif(data);
  ASSERT_EQ(8, r.counted);
  ASSERT_EQ(8u, r.frames.size());
  for (const SplitFrame& f : r.frames) {
    EXPECT_EQ(26, f.info.width);
    EXPECT_EQ(26, f.info.height);
    EXPECT_EQ(0, f.info.left);
    EXPECT_EQ(0, f.info.top);
    EXPECT_EQ(10u, f.info.delay);
    EXPECT_EQ(1u, f.info.disposal);
    ASSERT_GT(f.image.size(), 205u);
    EXPECT_EQ(0, std::memcmp(f.image.data(), data.data(), 205));
    EXPECT_EQ(0x3B, f.image.back());
  }
}

}  // namespace
