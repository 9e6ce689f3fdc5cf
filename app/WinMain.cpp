// Process entry of Sivrel.exe.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/AppModule.h"
#include "app/DllSearch.h"
#include "app/RestartRegistration.h"
#include "app/Run.h"
#include "app/SessionInstance.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR commandLine, int /*showCommand*/) {
  RestrictDllSearch();
  // One client per session, decided before anything else: a second start loads neither the
  // recorder service nor anything of the user interface, it only hands over and ends. The
  // object stays held until the process ends.
  const SessionInstance session(kSessionInstanceName);
  if (!session.IsFirst()) return HandOverToRunningClient(session);

  RegisterForRestartAfterUpdate();
  ::CoInitialize(nullptr);
  // Makes sure user32 has set up this thread's window state before any window exists.
  ::DefWindowProcA(nullptr, 0, 0, 0);
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_BAR_CLASSES;
  ::InitCommonControlsEx(&controls);
  g_appModule.Initialize(instance);

  // The frame is never shown, whatever show command the system passes.
  const int result = Run(commandLine, SW_HIDE);

  g_appModule.Shutdown();
  ::CoUninitialize();
  return result;
}
