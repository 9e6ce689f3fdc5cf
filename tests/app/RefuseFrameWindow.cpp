// Linked into a test build of the program whose hidden frame window cannot be created, as on a
// broken desktop: before WinMain runs, a CBT hook of the main thread refuses the creation of
// every window of the frame's class (a hook procedure that answers non-zero to HCBT_CREATEWND
// prevents the window from being created).
#include <windows.h>

#include <string>

#include "tray/MainFrame.h"

namespace {

LRESULT CALLBACK RefuseFrame(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    char name[256] = "";
    ::GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name);
    if (CMainFrame::GetWndClassName() == name) return 1;
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

struct FrameRefusal {
  FrameRefusal() { ::SetWindowsHookExA(WH_CBT, &RefuseFrame, nullptr, ::GetCurrentThreadId()); }
} const g_refusal;

}  // namespace
