#pragma once
// Window classes of our own and subclassed controls.
//
// The object is bound to its handle through a window property: at WM_NCCREATE from the creation
// parameter for windows we create, in SubclassWindow for existing controls. It is unbound at
// WM_NCDESTROY, where a subclassed control gets its old procedure back. A window destroyed while
// one of its own handlers is still on the stack (a nested modal loop, a DestroyWindow from inside
// a handler) stays safe: the outer frames touch no window state afterwards, and OnFinalMessage
// runs only when the outermost dispatch returns, so nothing touches the object after it.
#include <windows.h>

#include <typeinfo>
#include <string>

#include "framework/MessageMap.h"
#include "framework/Window.h"

template <DWORD t_dwStyle = 0, DWORD t_dwExStyle = 0>
struct CWinTraits {
  static DWORD GetWndStyle(DWORD dwStyle) { return dwStyle == 0 ? t_dwStyle : dwStyle; }
  static DWORD GetWndExStyle(DWORD dwExStyle) { return dwExStyle == 0 ? t_dwExStyle : dwExStyle; }
};

using CControlWinTraits = CWinTraits<WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0>;
using CFrameWinTraits = CWinTraits<WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                                   WS_EX_APPWINDOW | WS_EX_WINDOWEDGE>;

// What a window class is registered with on first use.
struct WndClassInfo {
  UINT style = 0;
  HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  LPCSTR cursor = IDC_ARROW;
  HICON icon = nullptr;
  HICON smallIcon = nullptr;
};

class CWindowImplRoot : public CWindow, public CMessageMap {
 public:
  CWindowImplRoot() = default;
  CWindowImplRoot(const CWindowImplRoot&) = delete;
  CWindowImplRoot& operator=(const CWindowImplRoot&) = delete;
  virtual ~CWindowImplRoot();

  virtual WNDPROC GetWindowProc() { return &WindowProc; }
  // Called once after the window's last message (WM_NCDESTROY) has been fully dispatched.
  virtual void OnFinalMessage(HWND) {}

  // Takes over an existing window (typically a dialog's control).
  BOOL SubclassWindow(HWND hWnd);
  // Gives the window its old procedure back; fails if someone subclassed it after us.
  HWND UnsubclassWindow();

  // Default processing: the replaced procedure of a subclassed control, else DefWindowProcA.
  LRESULT DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam);

  static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
  static CWindowImplRoot* FromHandle(HWND hWnd);

 protected:
  HWND CreateImpl(const std::string& className, const WndClassInfo& info, HWND hWndParent,
                  const RECT* rect, const char* windowName, DWORD style, DWORD exStyle,
                  HMENU menuOrId);

 private:
  void Bind(HWND hWnd);
  void Unbind(HWND hWnd);

  WNDPROC m_pfnSuperWindowProc = &::DefWindowProcA;
  bool m_subclassed = false;
  int m_dispatchDepth = 0;
  bool m_windowGone = false;
};

template <class T, class TBase = CWindow, class TWinTraits = CControlWinTraits>
class CWindowImpl : public CWindowImplRoot {
 public:
  static std::string GetWndClassName() { return std::string("Sivrel:") + typeid(T).name(); }
  static WndClassInfo GetWndClassInfo() { return WndClassInfo(); }

  HWND Create(HWND hWndParent, const RECT* rect = nullptr, const char* windowName = nullptr,
              DWORD style = 0, DWORD exStyle = 0, HMENU menuOrId = nullptr) {
    return CreateImpl(T::GetWndClassName(), T::GetWndClassInfo(), hWndParent, rect, windowName,
                      TWinTraits::GetWndStyle(style), TWinTraits::GetWndExStyle(exStyle), menuOrId);
  }
};
