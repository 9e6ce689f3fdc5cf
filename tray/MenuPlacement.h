#pragma once
// Where the tray menu opens when the cursor point lies on no monitor. Platform-free.

namespace tray {

// Moves `x` into the work area [workLeft, workRight) of the nearest monitor: left of it becomes
// its left edge, right of it its right edge (the last column inside). y is left alone.
inline int ClampMenuX(int x, int workLeft, int workRight) {
  if (x < workLeft) return workLeft;
  if (x >= workRight) return workRight > workLeft ? workRight - 1 : workLeft;
  return x;
}

}  // namespace tray
