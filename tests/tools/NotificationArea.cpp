#include "tests/tools/NotificationArea.h"

#include <shellapi.h>

#include <cstdio>

bool NotificationAreaPresent() {
  HWND taskbar = ::FindWindowA("Shell_TrayWnd", nullptr);
  return taskbar != nullptr && ::GetWindow(taskbar, GW_CHILD) != nullptr;
}

bool NotificationAreaTakesIcons(HWND window) {
  NOTIFYICONDATAA probe{};
  probe.cbSize = sizeof probe;
  probe.hWnd = window;
  probe.uID = 1;
  probe.uFlags = NIF_ICON;
  probe.hIcon = ::LoadIconA(nullptr, IDI_APPLICATION);
  if (!::Shell_NotifyIconA(NIM_ADD, &probe)) return false;
  ::Shell_NotifyIconA(NIM_DELETE, &probe);
  return true;
}

bool RequireNotificationArea() {
  if (NotificationAreaPresent()) return true;
  std::fputs("no notification area: run inside scripts/wine-session.sh\n", stderr);
  return false;
}
