// Waits until the shell's notification area exists (Shell_TrayWnd with its controls) and takes
// icons (one of its own is added and removed), so that a program started afterwards does not race
// the shell for its first icon.
//   wait-for-tray.exe [TIMEOUT_MS]       exit code 0 when it appeared, 1 after the timeout
//   wait-for-tray.exe hold [TIMEOUT_MS]  the same, then prints "ready" and stays until killed
// Held, it keeps the Wine virtual desktop up between the test bed's other processes: the
// desktop ends with the last process that has a window on it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/tools/NotificationArea.h"

int main(int argc, char** argv) {
  int arg = 1;
  const bool hold = argc > arg && std::strcmp(argv[arg], "hold") == 0;
  if (hold) ++arg;
  const DWORD timeoutMs = argc > arg ? static_cast<DWORD>(std::strtoul(argv[arg], nullptr, 10)) : 30000;

  // A window of our own connects this process to the desktop (and so keeps it alive).
  HWND keeper = ::CreateWindowExA(0, "STATIC", "desktop keeper", WS_POPUP, 0, 0, 1, 1, nullptr,
                                  nullptr, nullptr, nullptr);
  const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
  bool found = false;
  while (!(found = NotificationAreaPresent() && NotificationAreaTakesIcons(keeper)) &&
         ::GetTickCount64() < deadline) {
    ::Sleep(50);  // polling another process's window: there is nothing to wait on
  }
  if (!hold) return found ? 0 : 1;

  std::printf("%s\n", found ? "ready" : "no-tray");
  std::fflush(stdout);
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
  ::DestroyWindow(keeper);
  return 0;
}
