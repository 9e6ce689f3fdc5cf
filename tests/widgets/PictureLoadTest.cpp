// The animated picture control on a real subclassed static under Wine: what loading makes of
// resource 239, of stills, of GIFs that only partly decode and of bad data; the surface it
// creates; painting from it. Pixels are read, as the control paints them, only while no animation
// runs.
#include <gtest/gtest.h>

#include <string>

#include "PictureTestBed.h"
#include "res/resource.h"
#include "tools/WinTestSupport.h"
#include "widgets/PictureDecoding.h"
#include "widgets/PictureExWnd.h"

namespace {

using picturetest::At;
using picturetest::kUnpainted;
using picturetest::LoadBytes;
using picturetest::Painted;
using picturetest::PaletteColour;
using picturetest::SolidFrame;
using picturetest::SolidGif;
using picturetest::TestWindow;
using picturetest::TwoToneBmp;

class PictureLoad : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(picture.SubclassWindow(window.Placeholder())); }

  std::vector<COLORREF> Pixels() const { return Painted(picture); }
  static bool AllOf(const std::vector<COLORREF>& pixels, COLORREF colour) {
    for (COLORREF c : pixels)
      if (c != colour) return false;
    return !pixels.empty();
  }
  RECT PlaceholderRect() const {
    RECT rc;
    ::GetWindowRect(window.Placeholder(), &rc);
    ::MapWindowPoints(nullptr, window.Frame(), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
  }
  void ExpectReleased() const {
    EXPECT_FALSE(picture.IsAnimated());
    EXPECT_FALSE(picture.IsPlaying());
    EXPECT_EQ(0, picture.GetFrameCount());
    EXPECT_EQ(0, picture.GetPictureSize().cx);
    EXPECT_EQ(0, picture.GetPictureSize().cy);
    EXPECT_TRUE(AllOf(Painted(picture, 4, 4), kUnpainted)) << "without a surface nothing is painted";
  }

  TestWindow window;
  CPictureExWnd picture;
};

TEST_F(PictureLoad, BusyResourceIsEightFullSizeFramesOfTenHundredths) {
  ExpectReleased();  // nothing loaded yet

  ASSERT_TRUE(picture.LoadFromResource(IDR_BUSY_GIF, "gif"));
  EXPECT_TRUE(picture.IsAnimated());
  EXPECT_FALSE(picture.IsPlaying());
  ASSERT_EQ(8, picture.GetFrameCount());
  EXPECT_EQ(26, picture.GetPictureSize().cx);
  EXPECT_EQ(26, picture.GetPictureSize().cy);

  // The window takes the picture's size where the placeholder was (it was 21 x 18 at 10, 10).
  const RECT rc = PlaceholderRect();
  EXPECT_EQ(10, rc.left);
  EXPECT_EQ(10, rc.top);
  EXPECT_EQ(26, rc.right - rc.left);
  EXPECT_EQ(26, rc.bottom - rc.top);

  // A fresh surface shows the menu colour.
  const std::vector<COLORREF> pixels = Pixels();
  EXPECT_EQ(26u * 26u, pixels.size());
  EXPECT_TRUE(AllOf(pixels, ::GetSysColor(COLOR_MENU)));
}

TEST_F(PictureLoad, OneFrameGifIsAStillDrawnOnceWithoutAThread) {
  GifBuilder gif(6, 4, 2);
  gif.Comment("one frame").GraphicControl(10, 1).Image(0, 0, 6, 4).Trailer();
  ASSERT_TRUE(LoadBytes(picture, gif.bytes()));
  EXPECT_FALSE(picture.IsAnimated());
  EXPECT_EQ(0, picture.GetFrameCount());
  EXPECT_EQ(6, picture.GetPictureSize().cx);
  EXPECT_EQ(4, picture.GetPictureSize().cy);

  EXPECT_TRUE(picture.StartAnimation());
  EXPECT_FALSE(picture.IsPlaying());
  const std::vector<COLORREF> pixels = Pixels();
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x)
      EXPECT_EQ(PaletteColour(PatternPixel(x, y, 4), 2), At(pixels, 6, x, y)) << x << "," << y;
}

TEST_F(PictureLoad, NonGifIsAStillSizedFromItsHimetricExtent) {
  HDC dc = ::GetDC(window.Placeholder());
  const int dpi = ::GetDeviceCaps(dc, LOGPIXELSX);
  ::ReleaseDC(window.Placeholder(), dc);
  ASSERT_EQ(96, dpi) << "the test bed runs at 96 DPI";

  const COLORREF red = RGB(220, 20, 30), blue = RGB(10, 40, 200);
  const Bytes bmp = TwoToneBmp(20, 10, red, blue);

  ASSERT_TRUE(LoadBytes(picture, bmp));
  EXPECT_FALSE(picture.IsAnimated());
  EXPECT_EQ(0, picture.GetFrameCount());
  // 20 pixels are 529 HIMETRIC, which at 96 DPI are 20 pixels again.
  EXPECT_EQ(20, picture.GetPictureSize().cx);
  EXPECT_EQ(10, picture.GetPictureSize().cy);
  const RECT rc = PlaceholderRect();
  EXPECT_EQ(20, rc.right - rc.left);
  EXPECT_EQ(10, rc.bottom - rc.top);
  EXPECT_TRUE(picture.StartAnimation());
  EXPECT_FALSE(picture.IsPlaying());
  // Drawn upright: the top half of the file's picture is at the top.
  const std::vector<COLORREF> pixels = Pixels();
  EXPECT_EQ(red, At(pixels, 20, 0, 0));
  EXPECT_EQ(red, At(pixels, 20, 19, 4));
  EXPECT_EQ(blue, At(pixels, 20, 0, 5));
  EXPECT_EQ(blue, At(pixels, 20, 19, 9));
}

TEST_F(PictureLoad, GifOfWhichOnlyOneFrameDecodesShowsTheEmptySurface) {
  // The second frame's graphic block is a plain-text extension: the splitter counts it, but its
  // one-image GIF holds no image, so the loader refuses it.
  GifBuilder gif(5, 3, 2);
  gif.Looping()
      .GraphicControl(10, 1)
      .Raw(picturetest::SolidImage(0, 0, 5, 3, 2, 2))
      .GraphicControl(10, 1)
      .PlainText(0, 0, 5, 3, "x")
      .Trailer();
  ASSERT_TRUE(LoadBytes(picture, gif.bytes()));
  EXPECT_FALSE(picture.IsAnimated());
  EXPECT_EQ(0, picture.GetFrameCount());
  EXPECT_EQ(5, picture.GetPictureSize().cx);

  // Neither a thread nor a still picture: nothing is drawn over the initial menu colour.
  EXPECT_FALSE(picture.StartAnimation());
  EXPECT_FALSE(picture.IsPlaying());
  EXPECT_TRUE(AllOf(Pixels(), ::GetSysColor(COLOR_MENU)));
}

TEST_F(PictureLoad, DataWithoutADecodableFrameFailsAndLeavesTheControlReleased) {
  const std::vector<Bytes> bad = {
      GifBuilder(4, 4, 2).Trailer().bytes(),                                     // trailer first
      GifBuilder(4, 4, 2).Raw({0x00, 0x01}).Image(0, 0, 4, 4).Trailer().bytes(), // unknown block
      GifBuilder(4, 4, 2).Comment("only a comment").Trailer().bytes(),
      GifBuilder(4, 4, 2).GraphicControl(5, 1).PlainText(0, 0, 4, 4, "a")
          .GraphicControl(5, 1).PlainText(0, 0, 4, 4, "b").Trailer().bytes(),    // nothing decodes
      Bytes{'G', 'I', 'F'},                                                      // a bare signature
      Bytes{'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'},
  };
  for (std::size_t i = 0; i < bad.size(); ++i) {
    ASSERT_TRUE(picture.LoadFromResource(IDR_BUSY_GIF, "gif"));
    EXPECT_FALSE(LoadBytes(picture, bad[i])) << "case " << i;
    ExpectReleased();
    EXPECT_FALSE(picture.StartAnimation()) << "case " << i;
  }

  // A size that claims more than the block holds is refused before anything reads it.
  const Bytes busy = SolidGif(4, 3, {{0, 0, 4, 3, 1, 10, 1}, {0, 0, 2, 2, 2, 10, 1}});
  GlobalMemoryHandle block = CopyToMovableBlock(busy.data(), static_cast<DWORD>(busy.size()));
  ASSERT_TRUE(block);
  EXPECT_FALSE(picture.LoadFromMemory(block.get(), static_cast<DWORD>(::GlobalSize(block.get()) + 1)));
  ExpectReleased();
  EXPECT_FALSE(picture.LoadFromMemory(nullptr, 10));
  EXPECT_TRUE(picture.LoadFromMemory(block.get(), static_cast<DWORD>(busy.size())));
}

TEST_F(PictureLoad, MissingResourceKeepsThePictureLoadedAndPlaying) {
  ASSERT_TRUE(picture.LoadFromResource(IDR_BUSY_GIF, "gif"));
  ASSERT_TRUE(picture.StartAnimation());
  ASSERT_TRUE(wintest::PumpUntil([&] { return picture.IsPlaying() != FALSE; }, 5000));

  EXPECT_FALSE(picture.LoadFromResource(999, "gif"));
  EXPECT_FALSE(picture.LoadFromResource(IDR_BUSY_GIF, "png"));
  EXPECT_TRUE(picture.IsPlaying());
  EXPECT_EQ(8, picture.GetFrameCount());
  picture.StopAnimation();
  EXPECT_FALSE(picture.IsPlaying());
  EXPECT_EQ(8, picture.GetFrameCount());
}

TEST_F(PictureLoad, ReleaseResetsEverything) {
  ASSERT_TRUE(LoadBytes(picture, SolidGif(4, 3, {{0, 0, 4, 3, 1, 10, 1}, {0, 0, 2, 2, 2, 10, 1}})));
  ASSERT_TRUE(picture.IsAnimated());
  picture.ReleasePicture();
  ExpectReleased();
  EXPECT_FALSE(picture.StartAnimation());
  ASSERT_TRUE(picture.LoadFromResource(IDR_BUSY_GIF, "gif"));
  EXPECT_TRUE(AllOf(Pixels(), ::GetSysColor(COLOR_MENU))) << "a new surface";
}

TEST(PicturePaint, PaintingCopiesTheSurface) {
  TestWindow window(true);
  CPictureExWnd picture;
  ASSERT_TRUE(picture.SubclassWindow(window.Placeholder()));
  const COLORREF red = RGB(220, 20, 30), blue = RGB(10, 40, 200);
  ASSERT_TRUE(LoadBytes(picture, TwoToneBmp(20, 10, red, blue)));
  ASSERT_TRUE(picture.StartAnimation());

  auto windowPixel = [&](int x, int y) {
    ::InvalidateRect(window.Placeholder(), nullptr, FALSE);
    ::UpdateWindow(window.Placeholder());
    HDC dc = ::GetDC(window.Placeholder());
    const COLORREF c = ::GetPixel(dc, x, y);
    ::ReleaseDC(window.Placeholder(), dc);
    return c;
  };
  EXPECT_EQ(red, windowPixel(3, 1));
  EXPECT_EQ(blue, windowPixel(3, 8));
}

}  // namespace
