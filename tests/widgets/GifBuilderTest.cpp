// The tests' GIFs are real ones: giflib decodes what the builder writes, and the frames the
// splitter cuts out decode on their own to the same pixels. (The Wine tests hand such frames to
// the platform's picture loader, so a builder that wrote broken LZW would mislead them.)
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstring>

#include "GifBuilder.h"
#include "SplitGif.h"

namespace {

struct Reader {
  const Bytes* data;
  std::size_t at;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int count) {
  auto* r = static_cast<Reader*>(gif->UserData);
  const std::size_t n = std::min<std::size_t>(count, r->data->size() - r->at);
  std::memcpy(out, r->data->data() + r->at, n);
  r->at += n;
  return static_cast<int>(n);
}

// Decodes with giflib and returns the images' pixels, or fails the test.
std::vector<Bytes> Decode(const Bytes& data) {
  Reader reader{&data, 0};
  int error = 0;
  GifFileType* gif = DGifOpen(&reader, &ReadFromMemory, &error);
  EXPECT_NE(nullptr, gif) << GifErrorString(error);
  if (gif == nullptr) return {};
  std::vector<Bytes> images;
  if (DGifSlurp(gif) == GIF_OK) {
    for (int i = 0; i < gif->ImageCount; ++i) {
      const SavedImage& image = gif->SavedImages[i];
      const std::size_t n =
          static_cast<std::size_t>(image.ImageDesc.Width) * image.ImageDesc.Height;
      images.emplace_back(image.RasterBits, image.RasterBits + n);
    }
  } else {
    ADD_FAILURE() << GifErrorString(gif->Error);
  }
  DGifCloseFile(gif, &error);
  return images;
}

TEST(GifBuilder, WritesGifsThatGiflibDecodesAndSoDoTheirFrames) {
  GifBuilder gif(26, 26, 6);
  gif.GraphicControl(10, 1).Comment("c").Looping().Image(0, 0, 26, 26)
      .GraphicControl(10, 2, true, 5).Image(3, 4, 17, 9, 3)
      .GraphicControl(10, 1).Image(0, 0, 1, 1, 1)
      .Trailer();
  const std::vector<Bytes> images = Decode(gif.bytes());
  ASSERT_EQ(3u, images.size());
  const int widths[] = {26, 17, 1};
  const int colours[] = {64, 8, 2};
  for (int i = 0; i < 3; ++i) {
    for (std::size_t p = 0; p < images[i].size(); ++p) {
      const int x = static_cast<int>(p) % widths[i];
      const int y = static_cast<int>(p) / widths[i];
      ASSERT_EQ(PatternPixel(x, y, colours[i]), images[i][p]) << "image " << i << " pixel " << p;
    }
  }

  const SplitResult split = SplitExact(gif.bytes());
  ASSERT_EQ(3u, split.frames.size());
  for (int i = 0; i < 3; ++i) {
    const std::vector<Bytes> one = Decode(split.frames[i].image);
    ASSERT_EQ(1u, one.size());
    EXPECT_EQ(images[i], one[0]);
  }
}

}  // namespace
