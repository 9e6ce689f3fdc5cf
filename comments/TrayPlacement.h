#pragma once
// Moving a window beside a notification-area icon, the way a flyout opens from the taskbar.
#include <windows.h>
#include <shellapi.h>

// The platform calls of the placement; tests substitute them (under Wine the shell cannot say
// where an icon is). A null calculatePopupWindowPosition means the system lacks it: the
// placement then computes the same rectangle itself.
struct TrayPlacementApi {
  HRESULT(WINAPI* shellNotifyIconGetRect)(const NOTIFYICONIDENTIFIER*, RECT*);
  BOOL(WINAPI* calculatePopupWindowPosition)(const POINT*, const SIZE*, UINT, RECT*, RECT*);
  BOOL(WINAPI* getWindowRect)(HWND, RECT*);
  BOOL(WINAPI* setWindowPos)(HWND, HWND, int, int, int, int, UINT);
};

// The real calls. CalculatePopupWindowPosition is looked up in user32 at run time, never
// imported: a system without it must still start.
const TrayPlacementApi& RealTrayPlacementApi();

// Moves `window` beside the icon (`iconOwner`, `iconId`), makes it topmost and shows it. False,
// with the window left where it was, when the icon's rectangle or the window's size cannot be
// had or no position can be computed; otherwise the result of the final move.
bool PositionNearTrayIcon(HWND window, HWND iconOwner, UINT iconId,
                          const TrayPlacementApi& api = RealTrayPlacementApi());
