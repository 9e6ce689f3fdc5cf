#pragma once
// A top-level frame window whose caption, window menu, accelerators and class icons all come
// from one common resource id, T::kCommonResourceId. Missing resources are simply absent: an
// empty caption, no menu, no accelerators, no class icon.
#include <windows.h>

#include "app/AppModule.h"
#include "framework/WindowImpl.h"

template <class T, class TBase = CWindow, class TWinTraits = CFrameWinTraits>
class CFrameWindowImpl : public CWindowImpl<T, TBase, TWinTraits> {
 public:
  HACCEL m_hAccel = nullptr;

  static WndClassInfo GetWndClassInfo() {
    WndClassInfo info;
    info.icon = static_cast<HICON>(::LoadImageA(g_appModule.GetResourceInstance(),
                                                MAKEINTRESOURCEA(T::kCommonResourceId), IMAGE_ICON,
                                                0, 0, LR_DEFAULTSIZE | LR_SHARED));
    return info;
  }

  HWND CreateEx(HWND hWndParent = nullptr, const RECT* rect = nullptr, DWORD style = 0,
                DWORD exStyle = 0) {
    HINSTANCE instance = g_appModule.GetResourceInstance();
    char caption[256] = "";
    ::LoadStringA(instance, T::kCommonResourceId, caption, sizeof caption);
    HMENU menu = ::LoadMenuA(instance, MAKEINTRESOURCEA(T::kCommonResourceId));
    m_hAccel = ::LoadAcceleratorsA(instance, MAKEINTRESOURCEA(T::kCommonResourceId));
    HWND hWnd = this->Create(hWndParent, rect, caption, style, exStyle, menu);
    // A window that was never created does not take its menu along.
    if (!hWnd && menu) ::DestroyMenu(menu);
    return hWnd;
  }

  BEGIN_MSG_MAP(CFrameWindowImpl)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
  END_MSG_MAP()

  // The top-level frame's end is the end of the loop: exit code 1.
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    if (!(this->GetStyle() & (WS_CHILD | WS_POPUP))) ::PostQuitMessage(1);
    bHandled = FALSE;
    return 1;
  }
};
