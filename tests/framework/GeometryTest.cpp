// The centring rule of dialogs over their owner or the work area.
#include <gtest/gtest.h>

#include "framework/Geometry.h"

namespace {

using geom::CenterInArea;
using geom::Point;
using geom::Rect;

const Rect kWork{0, 0, 1280, 760};  // a 1280 x 800 screen less a 40-pixel taskbar

TEST(CenterInArea, CentresOnTheReference) {
  EXPECT_EQ(CenterInArea(kWork, 280, 166, kWork), (Point{500, 297}));
  EXPECT_EQ(CenterInArea(Rect{100, 100, 500, 300}, 200, 100, kWork), (Point{200, 150}));
  // Odd sizes: each half is an integer division before subtracting.
  EXPECT_EQ(CenterInArea(Rect{0, 0, 101, 101}, 51, 51, kWork), (Point{25, 25}));
}

TEST(CenterInArea, PushesBackInsideTheArea) {
  // An owner near the bottom right corner: the dialog moves up and left until it fits.
  EXPECT_EQ(CenterInArea(Rect{1200, 700, 1280, 760}, 300, 200, kWork), (Point{980, 560}));
  // An owner partly off the top left.
  EXPECT_EQ(CenterInArea(Rect{-200, -100, 0, 0}, 300, 200, kWork), (Point{0, 0}));
}

TEST(CenterInArea, LargerThanTheAreaKeepsTheTopLeftCornerInside) {
  EXPECT_EQ(CenterInArea(kWork, 2000, 1000, kWork), (Point{0, 0}));
}

TEST(CenterInArea, MonitorsLeftOfAndAboveThePrimaryHaveNegativeCoordinates) {
  const Rect left{-1920, 0, 0, 1040};
  EXPECT_EQ(CenterInArea(left, 400, 200, left), (Point{-1160, 420}));
  const Rect above{0, -1080, 1920, 0};
  EXPECT_EQ(CenterInArea(Rect{1800, -50, 1900, -10}, 400, 200, above), (Point{1520, -200}));
}

}  // namespace
