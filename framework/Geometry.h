#pragma once
// Plain rectangles and the centring rule, kept free of the platform so they can be tested natively.
namespace geom {

struct Point {
  int x = 0;
  int y = 0;
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

inline bool operator==(const Rect& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator==(const Point& a, const Point& b) { return a.x == b.x && a.y == b.y; }

// Top-left corner that centres a w x h window on `reference`, then pushes it back inside `area`:
// first off the right (bottom) edge, then, if it is still too large, onto the left (top) edge, so
// the corner never leaves the area.
Point CenterInArea(const Rect& reference, int w, int h, const Rect& area);

}  // namespace geom
