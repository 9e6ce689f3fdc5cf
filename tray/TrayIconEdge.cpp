#include "tray/TrayIconEdge.h"

namespace {

BOOL RealShellNotifyIcon(void*, DWORD message, PNOTIFYICONDATAA data) {
  return ::Shell_NotifyIconA(message, data);
}

BOOL RealTrackPopupMenu(void*, HMENU menu, UINT flags, int x, int y, HWND owner) {
  return ::TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr);
}

BOOL RealGetCursorPos(void*, POINT* point) { return ::GetCursorPos(point); }

}  // namespace

TrayIconEdge::TrayIconEdge()
    : shellNotifyIcon(&RealShellNotifyIcon),
      trackPopupMenu(&RealTrackPopupMenu),
      getCursorPos(&RealGetCursorPos) {}
