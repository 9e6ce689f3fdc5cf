// The About dialog under Wine, run modally from template 100 as the tray frame runs it. A thread
// timer, which the dialog's own modal loop dispatches, looks at the dialog once it is up and then
// closes it the way a user would; the DoModal result tells which way it went.
#include <gtest/gtest.h>

#include <functional>

#include "SivrelVersion.h"
#include "res/resource.h"
#include "widgets/AboutDlg.h"

namespace {

constexpr char kOwnerClass[] = "SivrelAboutTestOwner";

HWND MakeOwner(int x, int y, int cx, int cy, int show) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (!::GetClassInfoExA(::GetModuleHandleA(nullptr), kOwnerClass, &wc)) {
    wc.lpfnWndProc = &::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kOwnerClass;
    ::RegisterClassExA(&wc);
  }
  HWND owner = ::CreateWindowExA(0, kOwnerClass, "About test owner", WS_OVERLAPPEDWINDOW, x, y, cx,
                                 cy, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  if (show != SW_HIDE) ::ShowWindow(owner, show);
  return owner;
}

// What the timer does once the dialog is up, and what it saw.
struct Script {
  std::function<void(HWND dialog)> close;
  HWND dialog = nullptr;
  RECT rect{};
  HWND focus = nullptr;
  HWND okButton = nullptr;
  int ticks = 0;
};
Script* g_script = nullptr;

BOOL CALLBACK FindDialog(HWND hWnd, LPARAM found) {
  char name[16] = "";
  ::GetClassNameA(hWnd, name, sizeof name);
  if (std::string(name) == "#32770" && ::IsWindowVisible(hWnd)) {
    *reinterpret_cast<HWND*>(found) = hWnd;
    return FALSE;
  }
  return TRUE;
}

void CALLBACK OnTick(HWND, UINT, UINT_PTR id, DWORD) {
  Script& s = *g_script;
  if (++s.ticks > 200) {  // about ten seconds: end it rather than hang the test
    ::KillTimer(nullptr, id);
    if (s.dialog) ::EndDialog(s.dialog, 99);
    return;
  }
  if (s.dialog) return;
  HWND dialog = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), &FindDialog, reinterpret_cast<LPARAM>(&dialog));
  if (!dialog) return;
  s.dialog = dialog;
  ::GetWindowRect(dialog, &s.rect);
  s.focus = ::GetFocus();
  s.okButton = ::GetDlgItem(dialog, IDOK);
  s.close(dialog);
}

INT_PTR RunAbout(HWND owner, Script& script) {
  g_script = &script;
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &OnTick);
  CAboutDlg dialog;
  const INT_PTR result = dialog.DoModal(owner);
  ::KillTimer(nullptr, timer);
  g_script = nullptr;
  return result;
}

RECT NearestWorkArea(HWND window) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  ::GetMonitorInfoA(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
  return info.rcWork;
}

void PostToDialog(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  ::PostMessageA(dialog, msg, wParam, lParam);
}

TEST(AboutDialog, OkEnterEscAndTheCloseButtonEndIt) {
  HWND owner = MakeOwner(100, 100, 300, 200, SW_SHOWNORMAL);
  struct Way {
    const char* name;
    std::function<void(HWND)> close;
    INT_PTR result;
  };
  const Way ways[] = {
      {"OK clicked", [](HWND d) { PostToDialog(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                                               reinterpret_cast<LPARAM>(::GetDlgItem(d, IDOK))); },
       1},
      {"Enter", [](HWND) { ::PostMessageA(::GetFocus(), WM_KEYDOWN, VK_RETURN, 0); }, 1},
      {"Esc", [](HWND) { ::PostMessageA(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0); }, 2},
      {"close button", [](HWND d) { PostToDialog(d, WM_SYSCOMMAND, SC_CLOSE, 0); }, 2},
  };
  for (const Way& way : ways) {
    Script script;
    script.close = way.close;
    EXPECT_EQ(way.result, RunAbout(owner, script)) << way.name;
    ASSERT_NE(nullptr, script.dialog) << way.name;
    EXPECT_FALSE(::IsWindow(script.dialog)) << way.name;
    // The default button has the focus, so Enter means OK.
    EXPECT_EQ(script.okButton, script.focus) << way.name;
  }
  ::DestroyWindow(owner);
}

TEST(AboutDialog, HiddenOrMinimisedOwnerCentresItInTheNearestWorkArea) {
  for (int show : {SW_HIDE, SW_SHOWMINNOACTIVE}) {
    HWND owner = MakeOwner(30, 40, 200, 100, show);
    Script script;
    script.close = [](HWND d) { PostToDialog(d, WM_COMMAND, IDCANCEL, 0); };
    EXPECT_EQ(2, RunAbout(owner, script));
    ASSERT_NE(nullptr, script.dialog);
    const RECT area = NearestWorkArea(owner);
    const int w = script.rect.right - script.rect.left, h = script.rect.bottom - script.rect.top;
    EXPECT_EQ((area.left + area.right) / 2 - w / 2, script.rect.left) << "show " << show;
    EXPECT_EQ((area.top + area.bottom) / 2 - h / 2, script.rect.top) << "show " << show;
    ::DestroyWindow(owner);
  }
}

TEST(AboutDialog, VisibleOwnerNearTheEdgeKeepsItInsideTheWorkArea) {
  // Centred over a visible owner...
  HWND owner = MakeOwner(200, 150, 500, 400, SW_SHOWNORMAL);
  Script script;
  script.close = [](HWND d) { PostToDialog(d, WM_COMMAND, IDOK, 0); };
  EXPECT_EQ(1, RunAbout(owner, script));
  const int w = script.rect.right - script.rect.left, h = script.rect.bottom - script.rect.top;
  EXPECT_EQ((200 + 700) / 2 - w / 2, script.rect.left);
  EXPECT_EQ((150 + 550) / 2 - h / 2, script.rect.top);
  ::DestroyWindow(owner);

  // ...but one hanging over the bottom-right corner would push it out: it is clamped inside.
  const RECT area = NearestWorkArea(::GetDesktopWindow());
  owner = MakeOwner(area.right - 60, area.bottom - 40, 100, 80, SW_SHOWNOACTIVATE);
  Script clamped;
  clamped.close = [](HWND d) { PostToDialog(d, WM_COMMAND, IDOK, 0); };
  EXPECT_EQ(1, RunAbout(owner, clamped));
  const RECT ownerArea = NearestWorkArea(owner);
  EXPECT_EQ(ownerArea.right - w, clamped.rect.left);
  EXPECT_EQ(ownerArea.bottom - h, clamped.rect.top);
  ::DestroyWindow(owner);
}

TEST(AboutDialog, ShowsTheProductAndItsIcon) {
  Script script;
  std::string text;
  HICON icon = nullptr;
  script.close = [&](HWND d) {
    for (HWND child = ::GetWindow(d, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
      char buffer[128] = "";
      ::GetWindowTextA(child, buffer, sizeof buffer);
      if (std::string(buffer).rfind("Calyra", 0) == 0) text = buffer;
      HICON shown = reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0));
      if (shown) icon = shown;
    }
    PostToDialog(d, WM_COMMAND, IDOK, 0);
  };
  EXPECT_EQ(1, RunAbout(nullptr, script));
  EXPECT_EQ(0u, text.find("Calyra v" SIVREL_VERSION_TEXT "\n\n")) << text;
  EXPECT_NE(nullptr, icon);
}

}  // namespace
