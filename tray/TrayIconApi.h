#pragma once
// The tray icon's edge to the system: the notification area and the calls around the tray
// menu. Every entry is the real function unless a test replaces it (to record what the shell
// is told, to refuse an add, or to place the cursor).
#include <windows.h>
#include <shellapi.h>

struct TrayIconApi {
  BOOL(WINAPI* shellNotifyIcon)(DWORD message, PNOTIFYICONDATAA data) = &::Shell_NotifyIconA;
  BOOL(WINAPI* trackPopupMenu)(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                               const RECT* rect) = &::TrackPopupMenu;
  BOOL(WINAPI* getCursorPos)(LPPOINT point) = &::GetCursorPos;
  BOOL(WINAPI* setForegroundWindow)(HWND window) = &::SetForegroundWindow;
  HMONITOR(WINAPI* monitorFromPoint)(POINT point, DWORD flags) = &::MonitorFromPoint;
  BOOL(WINAPI* getMonitorInfo)(HMONITOR monitor, LPMONITORINFO info) = &::GetMonitorInfoA;
};
