#pragma once
// A window's large and small icon from one icon resource. The large one is loaded shared at the
// system's large-icon size; the small one is loaded unshared and owned here, since LR_SHARED
// hands back the first image cached for the resource whatever size is asked, so a shared small
// load after the large one would get the large image scaled down by whoever draws it.
#include <windows.h>

#include "framework/HandleTraits.h"

class WindowIcons {
 public:
  // Sets both icons of `window`. Keep this object until the window is gone.
  void Apply(HWND window, HINSTANCE instance, int iconId) {
    const HICON large = static_cast<HICON>(
        ::LoadImageA(instance, MAKEINTRESOURCEA(iconId), IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
                     ::GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR | LR_SHARED));
    small_.reset(static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(iconId), IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXSMICON),
                                                 ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
    ::SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large));
    ::SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_.get()));
  }

 private:
  IconHandle small_;
};
