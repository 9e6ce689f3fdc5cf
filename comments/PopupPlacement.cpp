#include "comments/PopupPlacement.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace placement {
namespace {

bool Contains(const geom::Rect& r, const geom::Point& p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

bool Intersects(const geom::Rect& a, const geom::Rect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Squared distance from `p` to the nearest point of `r` (0 inside).
std::int64_t DistanceSquared(const geom::Rect& r, const geom::Point& p) {
  const std::int64_t dx = p.x < r.left ? r.left - p.x : (p.x >= r.right ? p.x - (r.right - 1) : 0);
  const std::int64_t dy = p.y < r.top ? r.top - p.y : (p.y >= r.bottom ? p.y - (r.bottom - 1) : 0);
  return dx * dx + dy * dy;
}

const MonitorArea* MonitorOf(const geom::Point& p, const std::vector<MonitorArea>& monitors) {
  const MonitorArea* nearest = nullptr;
  std::int64_t best = INT64_MAX;
  for (const MonitorArea& m : monitors) {
    if (Contains(m.bounds, p)) return &m;
    const std::int64_t d = DistanceSquared(m.bounds, p);
    if (d < best) {
      best = d;
      nearest = &m;
    }
  }
  return nearest;
}

// Pushes [start, start + size) inside [low, high): off the far edge first, then, for a popup
// larger than the range, onto the near edge, so that its start never leaves the range.
int ClampSpan(int start, int size, int low, int high) {
  if (start + size > high) start = high - size;
  if (start < low) start = low;
  return start;
}

}  // namespace

bool CalculatePopupPosition(const geom::Point& anchor, int width, int height,
                            const geom::Rect& exclude, const std::vector<MonitorArea>& monitors,
                            geom::Rect* result) {
  if (width <= 0 || height <= 0 || !result) return false;
  const MonitorArea* monitor = MonitorOf(anchor, monitors);
  if (!monitor) return false;
  const geom::Rect& area = monitor->workArea;

  // Centred on the anchor both ways, then inside the work area.
  int left = ClampSpan(anchor.x - width / 2, width, area.left, area.right);
  int top = ClampSpan(anchor.y - height / 2, height, area.top, area.bottom);

  // Still over the excluded rectangle: keep the horizontal place and move vertically just clear
  // of it, above when the work area has room there, else below; failing both, to the roomier
  // side as far as the work area allows.
  const geom::Rect placed{left, top, left + width, top + height};
  if (Intersects(placed, exclude)) {
    const int aboveTop = std::min(exclude.top, area.bottom) - height;
    const int belowTop = std::max(exclude.bottom, area.top);
    if (aboveTop >= area.top) {
      top = aboveTop;
    } else if (belowTop + height <= area.bottom) {
      top = belowTop;
    } else {
      const int roomAbove = exclude.top - area.top;
      const int roomBelow = area.bottom - exclude.bottom;
      top = ClampSpan(roomAbove >= roomBelow ? aboveTop : belowTop, height, area.top, area.bottom);
    }
  }
  *result = geom::Rect{left, top, left + width, top + height};
  return true;
}

}  // namespace placement
