#include "tests/tools/NotificationArea.h"

#include <windows.h>

#include <cstdio>

bool NotificationAreaPresent() {
  HWND taskbar = ::FindWindowA("Shell_TrayWnd", nullptr);
  return taskbar != nullptr && ::GetWindow(taskbar, GW_CHILD) != nullptr;
}

bool RequireNotificationArea() {
  if (NotificationAreaPresent()) return true;
  std::fputs("no notification area: run inside scripts/wine-session.sh\n", stderr);
  return false;
}
