#include "app/MessageLoop.h"

#include <algorithm>

namespace {

template <class T>
BOOL RemoveFrom(std::vector<T*>& list, T* item) {
  auto it = std::find(list.begin(), list.end(), item);
  if (it == list.end()) return FALSE;
  list.erase(it);
  return TRUE;
}

// The undocumented system timer message (caret blinking and the like).
constexpr UINT kSystemTimer = 0x0118;

}  // namespace

BOOL CMessageLoop::AddFilter(CMessageFilter* filter) {
  m_filters.push_back(filter);
  return TRUE;
}

BOOL CMessageLoop::RemoveFilter(CMessageFilter* filter) { return RemoveFrom(m_filters, filter); }

BOOL CMessageLoop::AddIdleHandler(CIdleHandler* handler) {
  m_idleHandlers.push_back(handler);
  return TRUE;
}

BOOL CMessageLoop::RemoveIdleHandler(CIdleHandler* handler) {
  return RemoveFrom(m_idleHandlers, handler);
}

BOOL CMessageLoop::FilterMessage(MSG* msg) {
  // Indexed from the end, re-checked each step: a filter may remove itself (its window was
  // destroyed by the message) while the walk is under way.
  for (size_t i = m_filters.size(); i-- > 0;) {
    if (i >= m_filters.size()) continue;
    CMessageFilter* filter = m_filters[i];
    if (filter && filter->FilterMessage(msg)) return TRUE;
  }
  return FALSE;
}

BOOL CMessageLoop::OnIdle(int /*idleCount*/) {
  const std::vector<CIdleHandler*> handlers = m_idleHandlers;  // a handler may unregister
  for (CIdleHandler* handler : handlers) {
    if (handler) handler->OnIdle();
  }
  return FALSE;
}

BOOL CMessageLoop::IsIdleMessage(const MSG* msg) {
  switch (msg->message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_PAINT:
    case kSystemTimer:
      return FALSE;
    default:
      return TRUE;
  }
}

int CMessageLoop::Run() {
  bool doIdle = true;
  int idleCount = 0;
  for (;;) {
    while (doIdle && !::PeekMessageA(&m_msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!OnIdle(idleCount++)) doIdle = false;
    }
    const BOOL got = ::GetMessageA(&m_msg, nullptr, 0, 0);
    if (got == -1) continue;
    if (!got) break;
    if (!FilterMessage(&m_msg)) {
      ::TranslateMessage(&m_msg);
      ::DispatchMessageA(&m_msg);
    }
    if (IsIdleMessage(&m_msg)) {
      doIdle = true;
      idleCount = 0;
    }
  }
  return static_cast<int>(m_msg.wParam);
}
