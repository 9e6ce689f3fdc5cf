#include "framework/DialogImpl.h"

#include "app/AppModule.h"

CDialogImplRoot::~CDialogImplRoot() {
  // The window may outlive a careless owner; it must not call into a freed object then.
  if (m_hWnd && ::IsWindow(m_hWnd) && FromHandle(m_hWnd) == this) {
    ::SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
  }
}

CDialogImplRoot* CDialogImplRoot::FromHandle(HWND hWnd) {
  return reinterpret_cast<CDialogImplRoot*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
}

bool CDialogImplRoot::ReturnsResultDirectly(UINT uMsg) {
  switch (uMsg) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
      return true;
    default:
      return false;
  }
}

INT_PTR CDialogImplRoot::DoModalImpl(int templateId, HWND hWndParent, LPARAM initParam) {
  m_initParam = initParam;
  return ::DialogBoxParamA(g_appModule.GetResourceInstance(), MAKEINTRESOURCEA(templateId),
                           hWndParent, GetDialogProc(), reinterpret_cast<LPARAM>(this));
}

HWND CDialogImplRoot::CreateImpl(int templateId, HWND hWndParent, LPARAM initParam) {
  m_initParam = initParam;
  return ::CreateDialogParamA(g_appModule.GetResourceInstance(), MAKEINTRESOURCEA(templateId),
                              hWndParent, GetDialogProc(), reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CDialogImplRoot::DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  CDialogImplRoot* self = FromHandle(hWnd);
  if (!self) {
    if (uMsg != WM_INITDIALOG || !lParam) return FALSE;
    self = reinterpret_cast<CDialogImplRoot*>(lParam);
    self->m_hWnd = hWnd;
    self->m_windowGone = false;
    ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
  }
  if (uMsg == WM_INITDIALOG) lParam = self->m_initParam;

  ++self->m_dispatchDepth;
  LRESULT result = 0;
  const BOOL handled = self->ProcessWindowMessage(hWnd, uMsg, wParam, lParam, result, 0);
  INT_PTR answer = FALSE;
  if (handled) {
    if (ReturnsResultDirectly(uMsg)) {
      answer = static_cast<INT_PTR>(result);
    } else {
      if (!self->m_windowGone) ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, result);
      answer = TRUE;
    }
  }
  if (uMsg == WM_NCDESTROY && !self->m_windowGone) {
    ::SetWindowLongPtrA(hWnd, DWLP_USER, 0);
    self->m_hWnd = nullptr;
    self->m_windowGone = true;
  }
  if (--self->m_dispatchDepth == 0 && self->m_windowGone) {
    self->m_windowGone = false;
    self->OnFinalMessage(hWnd);  // may delete the object: nothing after this touches it
  }
  return answer;
}
