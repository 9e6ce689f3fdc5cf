#pragma once
// Moving a window beside a notification-area icon, the way a flyout opens from the taskbar.
#include <windows.h>
#include <shellapi.h>

// The placement's edge to the shell, each entry the real call unless a test replaces it (with
// its recorder as the context): under Wine the shell cannot say where an icon is, and Wine 8
// has no CalculatePopupWindowPosition. A null calculatePopupWindowPosition means the system
// lacks it: the placement then computes the same rectangle itself.
struct TrayPlacementEdge {
  HRESULT (*shellNotifyIconGetRect)(void* context, const NOTIFYICONIDENTIFIER* icon, RECT* rect);
  BOOL (*calculatePopupWindowPosition)(void* context, const POINT* anchor, const SIZE* size,
                                       UINT flags, RECT* exclude, RECT* position);
  void* context = nullptr;
  // The real calls. CalculatePopupWindowPosition is looked up in user32 at run time, never
  // imported: a system without it must still start.
  TrayPlacementEdge();
};

// Moves `window` beside the icon (`iconOwner`, `iconId`), makes it topmost and shows it. False,
// with the window left where it was, when the icon's rectangle or the window's size cannot be
// had or no position can be computed; otherwise the result of the final move.
bool PositionNearTrayIcon(HWND window, HWND iconOwner, UINT iconId,
                          const TrayPlacementEdge& edge = TrayPlacementEdge());
