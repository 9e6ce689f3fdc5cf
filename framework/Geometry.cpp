#include "framework/Geometry.h"

namespace geom {

Point CenterInArea(const Rect& reference, int w, int h, const Rect& area) {
  Point p;
  p.x = (reference.left + reference.right) / 2 - w / 2;
  p.y = (reference.top + reference.bottom) / 2 - h / 2;
  if (p.x + w > area.right) p.x = area.right - w;
  if (p.x < area.left) p.x = area.left;
  if (p.y + h > area.bottom) p.y = area.bottom - h;
  if (p.y < area.top) p.y = area.top;
  return p;
}

}  // namespace geom
