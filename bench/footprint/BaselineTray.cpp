// baseline_tray.exe: the least a tray program does, as the footprint benchmark's yardstick.
//
// It does what the client's start-up must do before it shows anything (COM, the common controls,
// the same manifest, built by the same tool chain with the same runtime), then creates one hidden
// window, puts one icon into the notification area and runs a message loop. WM_CLOSE ends it. It
// has no timer and no thread of its own: whatever it costs while idle is the platform's floor.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include "res/resource.h"

namespace {

constexpr UINT kIconId = 1;
constexpr UINT kIconMessage = WM_APP + 1;
// A notification area that is not up yet refuses the icon; it is tried again once a second,
// as the client does, until it is accepted.
constexpr UINT_PTR kRetryTimer = 1;

bool AddIcon(HWND window) {
  NOTIFYICONDATAA icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = window;
  icon.uID = kIconId;
  icon.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
  icon.uCallbackMessage = kIconMessage;
  icon.hIcon = static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP),
                                               IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                               ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  lstrcpynA(icon.szTip, "Baseline tray program", sizeof icon.szTip);
  return ::Shell_NotifyIconA(NIM_ADD, &icon) != FALSE;
}

void RemoveIcon(HWND window) {
  NOTIFYICONDATAA icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = window;
  icon.uID = kIconId;
  ::Shell_NotifyIconA(NIM_DELETE, &icon);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      if (!AddIcon(window)) ::SetTimer(window, kRetryTimer, 1000, nullptr);
      return 0;
    case WM_TIMER:
      if (wParam == kRetryTimer && AddIcon(window)) ::KillTimer(window, kRetryTimer);
      return 0;
    case WM_DESTROY:
      RemoveIcon(window);
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  ::CoInitialize(nullptr);
  ::DefWindowProcA(nullptr, 0, 0, 0);
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_BAR_CLASSES;
  ::InitCommonControlsEx(&controls);

  WNDCLASSA wc{};
  wc.lpfnWndProc = &WindowProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "SivrelBaselineTray";
  int result = 0;
  if (::RegisterClassA(&wc) &&
      ::CreateWindowExA(WS_EX_APPWINDOW | WS_EX_WINDOWEDGE, wc.lpszClassName, "",
                        WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance,
                        nullptr)) {
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    result = static_cast<int>(msg.wParam);
  }
  ::CoUninitialize();
  return result;
}
