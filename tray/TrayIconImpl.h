#pragma once
// CTrayIconImpl<T>: gives the window class T one icon in the notification area: adding and
// deleting it, changing icon and tooltip, info balloons, and the shell's callbacks turned into
// the tray menu (right click) or the default command (double click). T is a window class of
// the framework (it has m_hWnd) whose message map chains to this one after its own entries.
//
// Everything runs on the user-interface thread. While the icon is not installed every change
// and every balloon is dropped, and InstallIcon is the only way back.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "app/AppModule.h"
#include "framework/MessageMap.h"
#include "tray/DbcsText.h"
#include "tray/MenuPlacement.h"
#include "tray/TrayIconEdge.h"

namespace tray {
// The ANSI code page's lead-byte test, for cutting texts into the icon record's fields.
inline bool AnsiLeadByte(unsigned char byte) { return ::IsDBCSLeadByte(byte) != FALSE; }
}  // namespace tray

template <class T>
class CTrayIconImpl {
 public:
  // Milliseconds a balloon asks to stay (the shell may hold it shorter or longer).
  static constexpr UINT kBalloonTimeout = 5000;

  UINT m_uTrayMessage = 0;
  NOTIFYICONDATAA m_nid;
  bool m_bInstalled = false;
  UINT m_nDefaultItem = 0;  // 0: the menu's first item by position

  explicit CTrayIconImpl(const TrayIconEdge& edge = TrayIconEdge()) : m_trayEdge(edge) {
    m_uTrayMessage = ::RegisterWindowMessageA("WM_TRAYICON");
    std::memset(&m_nid, 0, sizeof m_nid);
    // The record of this build: 528 bytes on x64 with every member up to the balloon icon.
    m_nid.cbSize = sizeof(NOTIFYICONDATAA);
  }

  // Hooks for the owner.
  virtual void OnTrayIconActivated() {}
  virtual void PrepareMenu(HMENU /*popup*/) {}

  bool InstallIcon(const char* tooltip, HICON icon, UINT id) {
    if (m_bInstalled) return true;
    m_nid.hWnd = Owner();
    m_nid.uID = id;
    m_nid.hIcon = icon;
    m_nid.uCallbackMessage = m_uTrayMessage;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    SetTip(tooltip);
    m_bInstalled = ShellNotifyIcon(NIM_ADD) != FALSE;
    return m_bInstalled;
  }

  // Uses the window handle saved at the add, so it also works after the window is gone.
  void RemoveIcon() {
    if (!m_bInstalled) return;
    m_nid.uFlags = 0;
    m_bInstalled = false;
    ShellNotifyIcon(NIM_DELETE);
  }

  // The shell lost every icon (a new taskbar): ours is no longer there to modify or delete.
  void ForgetIcon() { m_bInstalled = false; }

  bool SetIconAndTip(UINT iconId, const char* tooltip) {
    HICON icon = LoadTrayIcon(iconId);
    if (!m_bInstalled) return false;
    m_nid.hIcon = icon;
    m_nid.uFlags = NIF_ICON | NIF_TIP;
    SetTip(tooltip);
    return ShellNotifyIcon(NIM_MODIFY) != FALSE;
  }

  void SetIconOnly(UINT iconId) {
    HICON icon = LoadTrayIcon(iconId);
    if (!m_bInstalled) return;
    m_nid.hIcon = icon;
    m_nid.uFlags = NIF_ICON;
    ShellNotifyIcon(NIM_MODIFY);
  }

  void ShowBalloon(const char* text, const char* title) {
    if (!m_bInstalled) return;
    // An empty balloon first takes down one still showing, so the new one is not queued
    // behind it.
    m_nid.uFlags = NIF_INFO;
    m_nid.szInfo[0] = '\0';
    ShellNotifyIcon(NIM_MODIFY);
    // Real-time: a balloon the shell cannot show at once is dropped, not shown stale later.
    m_nid.uFlags = NIF_INFO | NIF_REALTIME;
    tray::CopyDbcsTruncated(m_nid.szInfo, sizeof m_nid.szInfo, text ? text : "",
                            &tray::AnsiLeadByte);
    tray::CopyDbcsTruncated(m_nid.szInfoTitle, sizeof m_nid.szInfoTitle, title ? title : "",
                            &tray::AnsiLeadByte);
    m_nid.uTimeout = kBalloonTimeout;
    m_nid.dwInfoFlags = NIIF_INFO | NIIF_NOSOUND;
    ShellNotifyIcon(NIM_MODIFY);
  }

  // Icons are loaded shared at the large-icon size and never freed.
  static HICON LoadTrayIcon(UINT iconId) {
    return static_cast<HICON>(::LoadImageA(g_appModule.GetResourceInstance(),
                                           MAKEINTRESOURCEA(iconId), IMAGE_ICON,
                                           ::GetSystemMetrics(SM_CXICON),
                                           ::GetSystemMetrics(SM_CYICON), LR_SHARED));
  }

  BEGIN_MSG_MAP(CTrayIconImpl)
    if (m_uTrayMessage != 0) MESSAGE_HANDLER(m_uTrayMessage, OnTrayIcon)
  END_MSG_MAP()

  // The shell's callback in its classic form: wParam the icon id, the low word of lParam the
  // mouse or notification message.
  LRESULT OnTrayIcon(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    bHandled = TRUE;
    if (wParam != m_nid.uID) return 0;
    switch (LOWORD(lParam)) {
      case WM_LBUTTONDBLCLK:
        RunDefaultCommand();
        break;
      case WM_RBUTTONUP:
        ShowTrayMenu();
        break;
      case NIN_SELECT:
        OnTrayIconActivated();
        break;
      default:
        break;  // single clicks, mouse moves, balloon notices
    }
    return 0;
  }

 protected:
  ~CTrayIconImpl() { RemoveIcon(); }

 private:
  TrayIconEdge m_trayEdge;

  BOOL ShellNotifyIcon(DWORD message) {
    return m_trayEdge.shellNotifyIcon(m_trayEdge.context, message, &m_nid);
  }

  HWND Owner() const { return static_cast<const T*>(this)->m_hWnd; }

  void SetTip(const char* tooltip) {
    tray::CopyDbcsTruncated(m_nid.szTip, sizeof m_nid.szTip, tooltip ? tooltip : "",
                            &tray::AnsiLeadByte);
  }

  HMENU LoadTrayMenu() const {
    return ::LoadMenuA(g_appModule.GetResourceInstance(), MAKEINTRESOURCEA(m_nid.uID));
  }

  void RunDefaultCommand() {
    // The window handle is kept: the command may close and destroy the owner's window.
    const HWND owner = Owner();
    ::SetForegroundWindow(owner);
    HMENU menu = LoadTrayMenu();
    if (!menu) return;
    HMENU popup = ::GetSubMenu(menu, 0);
    UINT command = m_nDefaultItem;
    if (command == 0 && popup) command = ::GetMenuItemID(popup, 0);
    if (popup && command != 0 && command != static_cast<UINT>(-1)) {
      // Synchronous: the command has run to completion when this returns.
      ::SendMessageA(owner, WM_COMMAND, command, 0);
    }
    ::DestroyMenu(menu);
    OnTrayIconActivated();
  }

  void ShowTrayMenu() {
    const HWND owner = Owner();
    HMENU menu = LoadTrayMenu();
    if (!menu) return;
    HMENU popup = ::GetSubMenu(menu, 0);
    if (!popup) {
      ::DestroyMenu(menu);
      return;
    }
    // Loaded afresh for every click, so no mark of an earlier showing survives.
    PrepareMenu(popup);
    POINT point{0, 0};
    if (!m_trayEdge.getCursorPos(m_trayEdge.context, &point)) point = POINT{0, 0};
    // Without this the menu does not close when the user clicks elsewhere.
    ::SetForegroundWindow(owner);
    if (m_nDefaultItem == 0) {
      ::SetMenuDefaultItem(popup, 0, TRUE);
    } else {
      ::SetMenuDefaultItem(popup, m_nDefaultItem, FALSE);
    }
    if (!::MonitorFromPoint(point, MONITOR_DEFAULTTONULL)) {
      MONITORINFO info{};
      info.cbSize = sizeof info;
      HMONITOR nearest = ::MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST);
      if (nearest && ::GetMonitorInfoA(nearest, &info)) {
        point.x = tray::ClampMenuX(point.x, info.rcWork.left, info.rcWork.right);
      }
    }
    m_trayEdge.trackPopupMenu(m_trayEdge.context, popup, 0, point.x, point.y, owner);
    // Lets the menu's window go away properly before the next click (the classic tray quirk:
    // otherwise a second right click may open nothing).
    ::PostMessageA(owner, WM_NULL, 0, 0);
    ::DestroyMenu(menu);
  }
};
