// The popup rule the placement uses where the system lacks CalculatePopupWindowPosition:
// centred on the icon, vertically clear of it, inside the work area of the icon's monitor.
#include "comments/PopupPlacement.h"

#include <gtest/gtest.h>

namespace {

using geom::Point;
using geom::Rect;
using placement::MonitorArea;

constexpr int kW = 454;  // the comments window at 96 DPI
constexpr int kH = 190;

bool Intersects(const Rect& a, const Rect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool Inside(const Rect& inner, const Rect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

Point Centre(const Rect& r) { return Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

Rect Place(const Rect& icon, const std::vector<MonitorArea>& monitors, int w = kW, int h = kH) {
  Rect result;
  EXPECT_TRUE(placement::CalculatePopupPosition(Centre(icon), w, h, icon, monitors, &result));
  EXPECT_EQ(w, result.Width());
  EXPECT_EQ(h, result.Height());
  return result;
}

void ExpectClearAndInside(const Rect& placed, const Rect& icon, const Rect& work) {
  EXPECT_FALSE(Intersects(placed, icon));
  EXPECT_TRUE(Inside(placed, work));
}

const Rect kScreen{0, 0, 1920, 1080};

TEST(PopupPlacement, TaskbarAtTheBottom) {
  const std::vector<MonitorArea> monitors = {{kScreen, Rect{0, 0, 1920, 1040}}};
  {
    SCOPED_TRACE("icon in the middle of the tray: directly above, centred on it");
    const Rect icon{1000, 1048, 1024, 1072};
    const Rect placed = Place(icon, monitors);
    ExpectClearAndInside(placed, icon, monitors[0].workArea);
    EXPECT_EQ(1040, placed.bottom);
    EXPECT_EQ(1012 - kW / 2, placed.left);
  }
  {
    SCOPED_TRACE("icon at the right end: shifted left only as far as the work area needs");
    const Rect icon{1880, 1048, 1904, 1072};
    const Rect placed = Place(icon, monitors);
    ExpectClearAndInside(placed, icon, monitors[0].workArea);
    EXPECT_EQ(1920, placed.right);
    EXPECT_EQ(1040, placed.bottom);
  }
}

TEST(PopupPlacement, TaskbarAtTheTop) {
  const std::vector<MonitorArea> monitors = {{kScreen, Rect{0, 40, 1920, 1080}}};
  const Rect icon{1500, 8, 1524, 32};
  const Rect placed = Place(icon, monitors);
  ExpectClearAndInside(placed, icon, monitors[0].workArea);
  EXPECT_EQ(40, placed.top);
  EXPECT_EQ(1512 - kW / 2, placed.left);
}

TEST(PopupPlacement, TaskbarAtTheLeftAndRight) {
  {
    SCOPED_TRACE("left taskbar, tray at its foot");
    const std::vector<MonitorArea> monitors = {{kScreen, Rect{62, 0, 1920, 1080}}};
    const Rect icon{19, 1000, 43, 1024};
    const Rect placed = Place(icon, monitors);
    ExpectClearAndInside(placed, icon, monitors[0].workArea);
    EXPECT_EQ(62, placed.left);
  }
  {
    SCOPED_TRACE("right taskbar, tray at its foot");
    const std::vector<MonitorArea> monitors = {{kScreen, Rect{0, 0, 1858, 1080}}};
    const Rect icon{1877, 1000, 1901, 1024};
    const Rect placed = Place(icon, monitors);
    ExpectClearAndInside(placed, icon, monitors[0].workArea);
    EXPECT_EQ(1858, placed.right);
  }
  {
    SCOPED_TRACE("right taskbar, icon in the middle of its height: vertically centred");
    const std::vector<MonitorArea> monitors = {{kScreen, Rect{0, 0, 1858, 1080}}};
    const Rect icon{1877, 528, 1901, 552};
    const Rect placed = Place(icon, monitors);
    ExpectClearAndInside(placed, icon, monitors[0].workArea);
    EXPECT_EQ(540 - kH / 2, placed.top);
  }
}

TEST(PopupPlacement, IconInsideTheWorkAreaMovesTheWindowVertically) {
  // An overflow flyout's icon, say, lying inside the work area: the centred window would cover
  // it, so it goes above, and below where there is no room above.
  const std::vector<MonitorArea> monitors = {{kScreen, Rect{0, 0, 1920, 1040}}};
  {
    const Rect icon{900, 600, 924, 624};
    const Rect placed = Place(icon, monitors);
    ExpectClearAndInside(placed, icon, monitors[0].workArea);
    EXPECT_EQ(600, placed.bottom);
    EXPECT_EQ(912 - kW / 2, placed.left);
  }
  {
    const Rect icon{900, 100, 924, 124};
    const Rect placed = Place(icon, monitors);
    ExpectClearAndInside(placed, icon, monitors[0].workArea);
    EXPECT_EQ(124, placed.top);
  }
  {
    SCOPED_TRACE("no room either side: the roomier side, kept inside the work area");
    const Rect icon{900, 500, 924, 524};
    const Rect placed = Place(icon, monitors, kW, 700);
    EXPECT_TRUE(Inside(placed, monitors[0].workArea));
    EXPECT_EQ(1040 - 700, placed.top);  // more room below (516) than above (500)
  }
}

TEST(PopupPlacement, SeveralMonitors) {
  // Primary 1920 x 1080 with its taskbar at the bottom; a second 1280 x 1024 monitor to its left
  // (negative coordinates) with a taskbar at its top; a third above the primary.
  const std::vector<MonitorArea> monitors = {
      {Rect{0, 0, 1920, 1080}, Rect{0, 0, 1920, 1040}},
      {Rect{-1280, 0, 0, 1024}, Rect{-1280, 40, 0, 1024}},
      {Rect{0, -900, 1600, 0}, Rect{0, -900, 1600, 0}},
  };
  {
    SCOPED_TRACE("icon on the left monitor's top taskbar, near the shared edge");
    const Rect icon{-30, 8, -6, 32};
    const Rect placed = Place(icon, monitors);
    ExpectClearAndInside(placed, icon, monitors[1].workArea);
    EXPECT_EQ(0, placed.right);
    EXPECT_EQ(40, placed.top);
  }
  {
    SCOPED_TRACE("icon on the primary near the left edge: never spills onto the other monitor");
    const Rect icon{4, 1048, 28, 1072};
    const Rect placed = Place(icon, monitors);
    ExpectClearAndInside(placed, icon, monitors[0].workArea);
    EXPECT_EQ(0, placed.left);
  }
  {
    SCOPED_TRACE("icon near the top edge of the primary stays on the primary");
    const Rect icon{800, 0, 824, 24};
    const Rect placed = Place(icon, monitors);
    ExpectClearAndInside(placed, icon, monitors[0].workArea);
  }
  {
    SCOPED_TRACE("anchor on no monitor: the nearest one's work area");
    Rect result;
    ASSERT_TRUE(placement::CalculatePopupPosition(Point{-1500, 500}, kW, kH, Rect{}, monitors, &result));
    EXPECT_TRUE(Inside(result, monitors[1].workArea));
    EXPECT_EQ(-1280, result.left);
  }
}

TEST(PopupPlacement, RefusesWhatItCannotPlace) {
  const std::vector<MonitorArea> monitors = {{kScreen, kScreen}};
  Rect result{1, 2, 3, 4};
  EXPECT_FALSE(placement::CalculatePopupPosition(Point{10, 10}, kW, kH, Rect{}, {}, &result));
  EXPECT_FALSE(placement::CalculatePopupPosition(Point{10, 10}, 0, kH, Rect{}, monitors, &result));
  EXPECT_FALSE(placement::CalculatePopupPosition(Point{10, 10}, kW, -1, Rect{}, monitors, &result));
  EXPECT_EQ((Rect{1, 2, 3, 4}), result);
  {
    SCOPED_TRACE("a window larger than the work area starts at its left and top edges");
    ASSERT_TRUE(placement::CalculatePopupPosition(Point{900, 500}, 2500, 1500, Rect{}, monitors, &result));
    EXPECT_EQ(0, result.left);
    EXPECT_EQ(0, result.top);
  }
}

}  // namespace
