// The picture control's surface under Wine: its initial fill, its background, save and restore of
// an area, and
// the gate that keeps a stopped animation session from drawing, whatever step it was about to do.
#include <gtest/gtest.h>

#include <atomic>

#include "PictureTestBed.h"
#include "widgets/PictureDecoding.h"
#include "widgets/PictureSurface.h"

namespace {

using picturetest::At;

class Surface : public ::testing::Test {
 protected:
  void SetUp() override {
    HDC screen = ::GetDC(nullptr);
    surface = PictureSurface::Create(screen, 4, 2);
    ::ReleaseDC(nullptr, screen);
    ASSERT_TRUE(surface);
    const Bytes bmp = picturetest::TwoToneBmp(4, 2, red, blue);
    GlobalMemoryHandle block = CopyToMovableBlock(bmp.data(), static_cast<DWORD>(bmp.size()));
    still = DecodePicture(block.get(), static_cast<DWORD>(bmp.size()), false);
    ASSERT_TRUE(still);
  }
  std::vector<COLORREF> Pixels() const {
    return picturetest::PaintedBy(4, 2, [&](HDC dc) { EXPECT_TRUE(surface->PaintTo(dc)); });
  }

  const COLORREF red = RGB(200, 0, 0), blue = RGB(0, 0, 200);
  const PictureEdge edge;
  const RECT all{0, 0, 4, 2};
  const RECT left{0, 0, 2, 2};
  std::shared_ptr<PictureSurface> surface;
  PictureHandle still;
};

TEST_F(Surface, StartsInTheMenuColourAndSavesAndRestoresAnArea) {
  for (COLORREF c : Pixels()) EXPECT_EQ(::GetSysColor(COLOR_MENU), c);

  ASSERT_TRUE(surface->Render(edge, still.get(), all, nullptr));
  EXPECT_EQ(red, At(Pixels(), 4, 0, 0));
  EXPECT_EQ(blue, At(Pixels(), 4, 0, 1));

  EXPECT_FALSE(surface->RestoreArea(left, nullptr)) << "nothing saved yet";
  ASSERT_TRUE(surface->SaveArea(left, nullptr));
  const COLORREF background = ::GetSysColor(COLOR_BTNFACE);
  ASSERT_TRUE(surface->FillWholeBackground(nullptr));
  for (COLORREF c : Pixels()) EXPECT_EQ(background, c);
  ASSERT_TRUE(surface->RestoreArea(left, nullptr));
  const std::vector<COLORREF> pixels = Pixels();
  EXPECT_EQ(red, At(pixels, 4, 1, 0));
  EXPECT_EQ(blue, At(pixels, 4, 1, 1));
  EXPECT_EQ(background, At(pixels, 4, 2, 0));
  EXPECT_FALSE(surface->RestoreArea(left, nullptr)) << "a saved area is put back once";
}

TEST_F(Surface, StoppedSessionCanNoLongerDraw) {
  std::atomic<bool> stopped{false};
  ASSERT_TRUE(surface->Render(edge, still.get(), all, &stopped));
  ASSERT_TRUE(surface->SaveArea(left, &stopped));
  const std::vector<COLORREF> before = Pixels();

  stopped = true;
  EXPECT_FALSE(surface->FillBackground(left, &stopped));
  EXPECT_FALSE(surface->FillWholeBackground(&stopped));
  EXPECT_FALSE(surface->SaveArea(all, &stopped));
  EXPECT_FALSE(surface->Render(edge, still.get(), left, &stopped));
  EXPECT_FALSE(surface->RestoreArea(left, &stopped));
  EXPECT_FALSE(surface->Invalidate(::GetDesktopWindow(), &stopped));
  EXPECT_EQ(before, Pixels());

  // The owner's own draws, and a later session's, still get through; the area saved by the
  // stopped session was not dropped by its refused restore.
  ASSERT_TRUE(surface->FillWholeBackground(nullptr));
  std::atomic<bool> next{false};
  ASSERT_TRUE(surface->RestoreArea(left, &next));
  EXPECT_EQ(red, At(Pixels(), 4, 0, 0));
}

}  // namespace
