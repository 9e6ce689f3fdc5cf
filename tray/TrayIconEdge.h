#pragma once
// The tray icon's edge to the shell: what the notification area is told, the tray menu's
// tracking and the cursor it opens at. Each entry is the real call unless a test replaces it;
// a test's recorder is the context. Only what Wine cannot show for real goes through here: its
// shell neither refuses an add nor tells what it was told, and its cursor cannot stand off
// every monitor.
#include <windows.h>
#include <shellapi.h>

struct TrayIconEdge {
  BOOL (*shellNotifyIcon)(void* context, DWORD message, PNOTIFYICONDATAA data);
  BOOL (*trackPopupMenu)(void* context, HMENU menu, UINT flags, int x, int y, HWND owner);
  BOOL (*getCursorPos)(void* context, POINT* point);
  void* context = nullptr;
  TrayIconEdge();
};
