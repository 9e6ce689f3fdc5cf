#pragma once
// Dialogs from templates, modal and modeless.
//
// The object travels as the dialog's initialisation parameter and is bound at WM_INITDIALOG
// through DWLP_USER; the caller's own parameter is handed to the WM_INITDIALOG handler instead.
// Messages before WM_INITDIALOG (WM_SETFONT and the non-client creation messages) get default
// dialog processing. A handled result goes through DWLP_MSGRESULT, except for the messages whose
// answer the dialog procedure returns directly.
#include <windows.h>

#include "framework/MessageMap.h"
#include "framework/Window.h"

class CDialogImplRoot : public CWindow, public CMessageMap {
 public:
  CDialogImplRoot() = default;
  CDialogImplRoot(const CDialogImplRoot&) = delete;
  CDialogImplRoot& operator=(const CDialogImplRoot&) = delete;
  virtual ~CDialogImplRoot();

  virtual DLGPROC GetDialogProc() { return &DialogProc; }
  // Called once after the dialog's last message has been fully dispatched.
  virtual void OnFinalMessage(HWND) {}

  BOOL EndDialog(INT_PTR result) { return ::EndDialog(m_hWnd, result); }

  static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
  static CDialogImplRoot* FromHandle(HWND hWnd);
  // Whether the dialog procedure returns this message's result itself instead of through
  // DWLP_MSGRESULT.
  static bool ReturnsResultDirectly(UINT uMsg);

 protected:
  INT_PTR DoModalImpl(int templateId, HWND hWndParent, LPARAM initParam);
  HWND CreateImpl(int templateId, HWND hWndParent, LPARAM initParam);

 private:
  LPARAM m_initParam = 0;
  int m_dispatchDepth = 0;
  bool m_windowGone = false;
};

template <class T, class TBase = CWindow>
class CDialogImpl : public CDialogImplRoot {
 public:
  INT_PTR DoModal(HWND hWndParent = ::GetActiveWindow(), LPARAM initParam = 0) {
    return DoModalImpl(T::IDD, hWndParent, initParam);
  }
  HWND Create(HWND hWndParent, LPARAM initParam = 0) {
    return CreateImpl(T::IDD, hWndParent, initParam);
  }
};
