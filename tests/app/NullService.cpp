// A recorder service library whose GetService hands out nothing, for the start-up tests.
#include <windows.h>

#include "NullService.h"
#include "service/GetService.h"

extern "C" KORVEX_API vesk::IServiceControl* KORVEX_CALL GetService() { return nullptr; }

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    if (HANDLE loaded = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, kNullServiceLoadedEvent)) {
      ::SetEvent(loaded);
      ::CloseHandle(loaded);
    }
  }
  return TRUE;
}
