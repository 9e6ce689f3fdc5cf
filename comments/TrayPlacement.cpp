#include "comments/TrayPlacement.h"

#include <vector>

#include "comments/PopupPlacement.h"

namespace {

constexpr UINT kPopupFlags = TPM_CENTERALIGN | TPM_VCENTERALIGN | TPM_VERTICAL | TPM_WORKAREA;

using CalculatePopupWindowPositionFn = BOOL(WINAPI*)(const POINT*, const SIZE*, UINT, RECT*, RECT*);

// Windows 7 and later export CalculatePopupWindowPosition from user32; Wine 8 does not. A static
// import of a missing function is bound by Wine to a stub that ends the whole process when it is
// called, so it is looked up here instead, and null means: compute it ourselves.
CalculatePopupWindowPositionFn LookUpCalculatePopupWindowPosition() {
  HMODULE user32 = ::GetModuleHandleA("user32.dll");
  if (!user32) return nullptr;
  return reinterpret_cast<CalculatePopupWindowPositionFn>(
      reinterpret_cast<void*>(::GetProcAddress(user32, "CalculatePopupWindowPosition")));
}

geom::Rect ToRect(const RECT& r) { return geom::Rect{r.left, r.top, r.right, r.bottom}; }

// The documented behaviour of CalculatePopupWindowPosition for our flags, on the monitor of the
// anchor (the nearest one when the anchor lies on none).
bool CalculateWithoutPlatform(const POINT& anchor, const SIZE& size, const RECT& exclude,
                              RECT* position) {
  HMONITOR monitor = ::MonitorFromPoint(anchor, MONITOR_DEFAULTTONEAREST);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!monitor || !::GetMonitorInfoA(monitor, &info)) return false;
  const std::vector<placement::MonitorArea> monitors = {
      {ToRect(info.rcMonitor), ToRect(info.rcWork)}};
  geom::Rect result;
  if (!placement::CalculatePopupPosition(geom::Point{anchor.x, anchor.y}, size.cx, size.cy,
                                         ToRect(exclude), monitors, &result)) {
    return false;
  }
  *position = RECT{result.left, result.top, result.right, result.bottom};
  return true;
}

}  // namespace

const TrayPlacementApi& RealTrayPlacementApi() {
  static const TrayPlacementApi api = {&::Shell_NotifyIconGetRect,
                                       LookUpCalculatePopupWindowPosition(), &::GetWindowRect,
                                       &::SetWindowPos};
  return api;
}

bool PositionNearTrayIcon(HWND window, HWND iconOwner, UINT iconId, const TrayPlacementApi& api) {
  // The record's size is the compiler's: 40 bytes on x64. The 28 of 32-bit builds makes the
  // shell refuse the call on every 64-bit system.
  NOTIFYICONIDENTIFIER icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = iconOwner;
  icon.uID = iconId;
  RECT iconRect{};
  if (!api.shellNotifyIconGetRect || FAILED(api.shellNotifyIconGetRect(&icon, &iconRect))) {
    return false;
  }
  const POINT anchor{(iconRect.left + iconRect.right) / 2, (iconRect.top + iconRect.bottom) / 2};

  RECT windowRect{};
  if (!api.getWindowRect(window, &windowRect)) return false;
  const SIZE size{windowRect.right - windowRect.left, windowRect.bottom - windowRect.top};

  RECT position{};
  const bool computed =
      api.calculatePopupWindowPosition
          ? api.calculatePopupWindowPosition(&anchor, &size, kPopupFlags, &iconRect, &position) != FALSE
          : CalculateWithoutPlatform(anchor, size, iconRect, &position);
  if (!computed) return false;

  // Only the corner is used; the window keeps its size.
  return api.setWindowPos(window, HWND_TOPMOST, position.left, position.top, 0, 0,
                          SWP_NOSIZE | SWP_SHOWWINDOW) != FALSE;
}
