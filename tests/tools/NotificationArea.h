// Whether the shell's notification area is up, for the tools and benchmarks that need it.
#pragma once

#include <windows.h>

// True when the taskbar window "Shell_TrayWnd" exists and holds its controls, as it does on
// Windows and in a Wine desktop with its shell (Wine 8's and Wine 10's taskbars alike hold their
// buttons from the start). Wine's explorer creates a Shell_TrayWnd in every session, but outside
// a virtual desktop with a shell (plain `wine program.exe` on an X display, or a Wine 10 desktop
// whose shell is not enabled) it is a bare hidden window without a single child, whose icons go
// to a tray window of Wine's own or to the X server's tray; so the window alone proves nothing.
bool NotificationAreaPresent();

// True when the notification area takes an icon now: one of `window`'s is added and removed
// again (Shell_NotifyIcon's NIM_ADD succeeds once the shell accepts icons). Says nothing about
// where the icon goes: see NotificationAreaPresent.
bool NotificationAreaTakesIcons(HWND window);

// For programs that make no sense without the notification area: when it is missing, says so on
// stderr ("no notification area: run inside scripts/wine-session.sh") and returns false, and the
// caller exits non-zero instead of measuring a stand-in.
bool RequireNotificationArea();
