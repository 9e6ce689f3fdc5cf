// Waits until the shell's notification area exists (Shell_TrayWnd with its TrayNotifyWnd child),
// so that a program started afterwards does not race the shell for its first icon.
// Exit code 0 when it appeared, 1 after the timeout (milliseconds, first argument; default 30000).
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  const DWORD timeoutMs = argc > 1 ? static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10)) : 30000;
  const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
  do {
    HWND tray = ::FindWindowA("Shell_TrayWnd", nullptr);
    if (tray) return 0;
    ::Sleep(50);  // polling another process's window: there is nothing to wait on
  } while (::GetTickCount64() < deadline);
  return 1;
}
