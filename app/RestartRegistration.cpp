#include "app/RestartRegistration.h"

#include <windows.h>

void RegisterForRestartAfterUpdate() {
  // Found at run time: the program has to start on systems without it.
  using Register = HRESULT(WINAPI*)(PCWSTR commandLine, DWORD flags);
  const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  const auto registerRestart =
      kernel ? reinterpret_cast<Register>(reinterpret_cast<void*>(::GetProcAddress(kernel, "RegisterApplicationRestart")))
             : nullptr;
  if (!registerRestart) return;
  registerRestart(L"", RESTART_NO_CRASH | RESTART_NO_HANG | RESTART_NO_REBOOT);
}
