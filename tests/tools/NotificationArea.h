// Whether the shell's notification area is up, for the tools and benchmarks that need it.
#pragma once

// True when the taskbar window "Shell_TrayWnd" exists and holds its controls. Wine's explorer
// creates a Shell_TrayWnd in every session, but outside a virtual desktop with a shell (plain
// `wine program.exe` on an X display) it is a bare hidden window without a single child, whose
// icons go to the X server's own tray if there is one; so the window alone proves nothing.
bool NotificationAreaPresent();

// For programs that make no sense without the notification area: when it is missing, says so on
// stderr ("no notification area: run inside scripts/wine-session.sh") and returns false, and the
// caller exits non-zero instead of measuring a stand-in.
bool RequireNotificationArea();
