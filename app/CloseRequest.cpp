#include "app/CloseRequest.h"

#include <cstring>

namespace {

// The listening thread only waits; it needs little of a stack.
constexpr SIZE_T kListenerStack = 64 * 1024;

}  // namespace

CloseRequestListener::CloseRequestListener(HWND frame) : m_frame(frame) {
  char path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  char* name = std::strrchr(path, '\\');
  if (!name) return;
  name[1] = '\0';
  std::strcpy(m_request, path);
  std::strcat(m_request, kCloseRequestFileName);
  // Armed here, before the thread looks for a request already there, so that a request made in
  // between is not missed. Only file names matter: the request is a file appearing.
  m_change = ::FindFirstChangeNotificationA(path, FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
  if (m_change == INVALID_HANDLE_VALUE) return;
  m_stop = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!m_stop) return;
  m_thread = ::CreateThread(nullptr, kListenerStack, &CloseRequestListener::Listen, this,
                            STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
}

CloseRequestListener::~CloseRequestListener() {
  if (m_thread) {
    ::SetEvent(m_stop);
    ::WaitForSingleObject(m_thread, INFINITE);
    ::CloseHandle(m_thread);
  }
  if (m_stop) ::CloseHandle(m_stop);
  if (m_change != INVALID_HANDLE_VALUE) ::FindCloseChangeNotification(m_change);
}

bool CloseRequestListener::RequestPresent() const {
  return ::GetFileAttributesA(m_request) != INVALID_FILE_ATTRIBUTES;
}

DWORD WINAPI CloseRequestListener::Listen(void* self) {
  auto* listener = static_cast<CloseRequestListener*>(self);
  // A client started while the package is closing clients closes at once: its files are about to
  // be replaced too.
  if (listener->RequestPresent()) {
    ::PostMessageA(listener->m_frame, WM_CLOSE, 0, 0);
    return 0;
  }
  const HANDLE handles[] = {listener->m_stop, listener->m_change};
  for (;;) {
    if (::WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return 0;
    // Re-armed before looking, for the same reason as at the start. Any other file coming or
    // going in the folder wakes the thread too; that is rare in a program's folder and cheap.
    if (!::FindNextChangeNotification(listener->m_change)) return 0;
    if (listener->RequestPresent()) {
      ::PostMessageA(listener->m_frame, WM_CLOSE, 0, 0);
      return 0;
    }
  }
}
