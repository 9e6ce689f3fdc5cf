#include "comments/TrayPlacement.h"

#include <vector>

#include "comments/PopupPlacement.h"

namespace {

constexpr UINT kPopupFlags = TPM_CENTERALIGN | TPM_VCENTERALIGN | TPM_VERTICAL | TPM_WORKAREA;

using CalculatePopupWindowPositionFn = BOOL(WINAPI*)(const POINT*, const SIZE*, UINT, RECT*, RECT*);

// Windows 7 and later export CalculatePopupWindowPosition from user32; Wine 8 does not. A static
// import of a missing function is bound by Wine to a stub that ends the whole process when it is
// called, so it is looked up here instead (once), and null means: compute it ourselves.
CalculatePopupWindowPositionFn SystemCalculatePopupWindowPosition() {
  static const CalculatePopupWindowPositionFn calculate = [] {
    HMODULE user32 = ::GetModuleHandleA("user32.dll");
    return user32 ? reinterpret_cast<CalculatePopupWindowPositionFn>(reinterpret_cast<void*>(
                        ::GetProcAddress(user32, "CalculatePopupWindowPosition")))
                  : nullptr;
  }();
  return calculate;
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

HRESULT RealShellNotifyIconGetRect(void*, const NOTIFYICONIDENTIFIER* icon, RECT* rect) {
  return ::Shell_NotifyIconGetRect(icon, rect);
}

BOOL RealCalculatePopupWindowPosition(void*, const POINT* anchor, const SIZE* size, UINT flags,
                                      RECT* exclude, RECT* position) {
  return SystemCalculatePopupWindowPosition()(anchor, size, flags, exclude, position);
}

}  // namespace

TrayPlacementEdge::TrayPlacementEdge()
    : shellNotifyIconGetRect(&RealShellNotifyIconGetRect),
      calculatePopupWindowPosition(SystemCalculatePopupWindowPosition()
                                       ? &RealCalculatePopupWindowPosition
                                       : nullptr) {}

bool PositionNearTrayIcon(HWND window, HWND iconOwner, UINT iconId, const TrayPlacementEdge& edge) {
  // The record's size is the compiler's: 40 bytes on x64. The 28 of 32-bit builds makes the
  // shell refuse the call on every 64-bit system.
  NOTIFYICONIDENTIFIER icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = iconOwner;
  icon.uID = iconId;
  RECT iconRect{};
  if (FAILED(edge.shellNotifyIconGetRect(edge.context, &icon, &iconRect))) return false;
  const POINT anchor{(iconRect.left + iconRect.right) / 2, (iconRect.top + iconRect.bottom) / 2};

  RECT windowRect{};
  if (!::GetWindowRect(window, &windowRect)) return false;
  const SIZE size{windowRect.right - windowRect.left, windowRect.bottom - windowRect.top};

  RECT position{};
  const bool computed =
      edge.calculatePopupWindowPosition
          ? edge.calculatePopupWindowPosition(edge.context, &anchor, &size, kPopupFlags, &iconRect,
                                              &position) != FALSE
          : CalculateWithoutPlatform(anchor, size, iconRect, &position);
  if (!computed) return false;

  // Only the corner is used; the window keeps its size.
  return ::SetWindowPos(window, HWND_TOPMOST, position.left, position.top, 0, 0,
                        SWP_NOSIZE | SWP_SHOWWINDOW) != FALSE;
}
