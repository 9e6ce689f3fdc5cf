#include "framework/WindowImpl.h"

#include "app/AppModule.h"

namespace {
// The property that binds a window handle to its object.
constexpr char kObjectProperty[] = "Sivrel.WindowObject";
}  // namespace

CWindowImplRoot::~CWindowImplRoot() {
  // An object that goes before its window must not leave the window calling into freed memory.
  if (m_hWnd && ::IsWindow(m_hWnd)) {
    if (m_subclassed) {
      UnsubclassWindow();
    } else {
      ::RemovePropA(m_hWnd, kObjectProperty);
    }
  }
}

CWindowImplRoot* CWindowImplRoot::FromHandle(HWND hWnd) {
  return static_cast<CWindowImplRoot*>(::GetPropA(hWnd, kObjectProperty));
}

void CWindowImplRoot::Bind(HWND hWnd) {
  m_hWnd = hWnd;
  m_windowGone = false;
  ::SetPropA(hWnd, kObjectProperty, this);
}

void CWindowImplRoot::Unbind(HWND hWnd) {
  ::RemovePropA(hWnd, kObjectProperty);
  if (m_subclassed) {
    // Give the control its own procedure back so its last messages are its own business.
    ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuperWindowProc));
    m_subclassed = false;
  }
  m_pfnSuperWindowProc = &::DefWindowProcA;
  m_hWnd = nullptr;
  m_windowGone = true;
}

HWND CWindowImplRoot::CreateImpl(const std::string& className, const WndClassInfo& info,
                                 HWND hWndParent, const RECT* rect, const char* windowName,
                                 DWORD style, DWORD exStyle, HMENU menuOrId) {
  HINSTANCE instance = g_appModule.GetModuleInstance();
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (!::GetClassInfoExA(instance, className.c_str(), &wc)) {
    wc = WNDCLASSEXA{};
    wc.cbSize = sizeof wc;
    wc.style = info.style;
    wc.lpfnWndProc = GetWindowProc();
    wc.hInstance = instance;
    wc.hCursor = info.cursor ? ::LoadCursorA(nullptr, info.cursor) : nullptr;
    wc.hbrBackground = info.background;
    wc.hIcon = info.icon;
    wc.hIconSm = info.smallIcon;
    wc.lpszClassName = className.c_str();
    if (!::RegisterClassExA(&wc)) return nullptr;
  }
  int x = CW_USEDEFAULT, y = CW_USEDEFAULT, cx = CW_USEDEFAULT, cy = CW_USEDEFAULT;
  if (rect) {
    x = rect->left;
    y = rect->top;
    cx = rect->right - rect->left;
    cy = rect->bottom - rect->top;
  }
  // The object travels as the creation parameter and is bound at WM_NCCREATE.
  return ::CreateWindowExA(exStyle, className.c_str(), windowName ? windowName : "", style, x, y,
                           cx, cy, hWndParent, menuOrId, instance, this);
}

BOOL CWindowImplRoot::SubclassWindow(HWND hWnd) {
  if (m_hWnd || !::IsWindow(hWnd) || FromHandle(hWnd)) return FALSE;
  Bind(hWnd);
  WNDPROC old = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GetWindowProc())));
  if (!old) {
    ::RemovePropA(hWnd, kObjectProperty);
    m_hWnd = nullptr;
    return FALSE;
  }
  m_pfnSuperWindowProc = old;
  m_subclassed = true;
  return TRUE;
}

HWND CWindowImplRoot::UnsubclassWindow() {
  if (!m_subclassed || !m_hWnd) return nullptr;
  HWND hWnd = m_hWnd;
  if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC)) != GetWindowProc()) {
    return nullptr;  // someone subclassed after us; unhooking now would cut them off
  }
  ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuperWindowProc));
  ::RemovePropA(hWnd, kObjectProperty);
  m_pfnSuperWindowProc = &::DefWindowProcA;
  m_subclassed = false;
  m_hWnd = nullptr;
  return hWnd;
}

LRESULT CWindowImplRoot::DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (!m_hWnd) return 0;
  return ::CallWindowProcA(m_pfnSuperWindowProc, m_hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK CWindowImplRoot::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  CWindowImplRoot* self = FromHandle(hWnd);
  if (!self) {
    if (uMsg != WM_NCCREATE) return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
    self = static_cast<CWindowImplRoot*>(cs->lpCreateParams);
    if (!self) return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
    self->Bind(hWnd);
  }

  ++self->m_dispatchDepth;
  LRESULT result = 0;
  const BOOL handled = self->ProcessWindowMessage(hWnd, uMsg, wParam, lParam, result, 0);
  if (!handled && !self->m_windowGone) {
    result = ::CallWindowProcA(self->m_pfnSuperWindowProc, hWnd, uMsg, wParam, lParam);
  }
  if (uMsg == WM_NCDESTROY && !self->m_windowGone) self->Unbind(hWnd);
  if (--self->m_dispatchDepth == 0 && self->m_windowGone) {
    self->m_windowGone = false;
    self->OnFinalMessage(hWnd);  // may delete the object: nothing after this touches it
  }
  return result;
}
