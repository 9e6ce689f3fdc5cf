#include "framework/Window.h"

#include "framework/Geometry.h"

namespace {

geom::Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// A hidden or minimised window (the tray frame usually is both) gives no useful centre.
bool UsableAsCentre(HWND hWnd) {
  if (!hWnd) return false;
  const DWORD style = static_cast<DWORD>(::GetWindowLongA(hWnd, GWL_STYLE));
  return (style & WS_VISIBLE) && !(style & WS_MINIMIZE);
}

}  // namespace

BOOL CWindow::CenterWindow(HWND hWndCenter) const {
  const DWORD style = GetStyle();
  if (!hWndCenter) {
    hWndCenter = (style & WS_CHILD) ? ::GetParent(m_hWnd) : ::GetWindow(m_hWnd, GW_OWNER);
  }
  RECT self;
  if (!::GetWindowRect(m_hWnd, &self)) return FALSE;
  const int w = self.right - self.left;
  const int h = self.bottom - self.top;

  geom::Rect area;
  geom::Rect reference;
  if (style & WS_CHILD) {
    // A child is centred within its parent's client area.
    HWND parent = ::GetParent(m_hWnd);
    RECT client;
    if (!parent || !::GetClientRect(parent, &client)) return FALSE;
    area = ToRect(client);
    reference = area;
    if (hWndCenter && hWndCenter != parent) {
      RECT rc;
      ::GetWindowRect(hWndCenter, &rc);
      ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
      reference = ToRect(rc);
    }
  } else {
    if (!UsableAsCentre(hWndCenter)) hWndCenter = nullptr;
    HMONITOR monitor = ::MonitorFromWindow(hWndCenter ? hWndCenter : m_hWnd, MONITOR_DEFAULTTONEAREST);
    if (!monitor) return FALSE;
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoA(monitor, &info)) return FALSE;
    area = ToRect(info.rcWork);
    reference = area;
    if (hWndCenter) {
      RECT rc;
      if (::GetWindowRect(hWndCenter, &rc)) reference = ToRect(rc);
    }
  }
  const geom::Point p = geom::CenterInArea(reference, w, h, area);
  return ::SetWindowPos(m_hWnd, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
