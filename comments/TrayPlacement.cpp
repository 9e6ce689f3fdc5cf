#include "comments/TrayPlacement.h"

const TrayPlacementApi& RealTrayPlacementApi() {
  static const TrayPlacementApi api = {nullptr, nullptr, &::GetWindowRect, &::SetWindowPos};
  return api;
}

bool PositionNearTrayIcon(HWND, HWND, UINT, const TrayPlacementApi&) { return false; }
