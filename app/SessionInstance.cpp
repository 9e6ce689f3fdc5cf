#include "app/SessionInstance.h"

SessionInstance::SessionInstance(const char* name) {
  // A small section backed by the paging file; its first bytes hold the record. Default
  // security: another user's client in the same session cannot open it, which shows up below as
  // access denied.
  m_section = ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                   sizeof(Record), name);
  const DWORD error = ::GetLastError();
  if (!m_section) {
    m_first = error != ERROR_ACCESS_DENIED;
    return;
  }
  m_first = error != ERROR_ALREADY_EXISTS;
  m_record = static_cast<Record*>(::MapViewOfFile(m_section, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0,
                                                  sizeof(Record)));
  if (m_first && m_record) {
    ::InterlockedExchange(&m_record->processId, static_cast<LONG>(::GetCurrentProcessId()));
  }
}

SessionInstance::~SessionInstance() {
  if (m_record) ::UnmapViewOfFile(m_record);
  if (m_section) ::CloseHandle(m_section);
}

DWORD SessionInstance::FirstProcessId() const {
  if (!m_record) return 0;
  return static_cast<DWORD>(::InterlockedCompareExchange(&m_record->processId, 0, 0));
}

bool PostToRunningFrame(DWORD processId, const std::string& frameClass, UINT message) {
  if (processId == 0 || message == 0) return false;
  // FindWindowEx sees hidden top-level windows too; the frame is never shown.
  for (HWND window = ::FindWindowExA(nullptr, nullptr, frameClass.c_str(), nullptr); window;
       window = ::FindWindowExA(nullptr, window, frameClass.c_str(), nullptr)) {
    DWORD owner = 0;
    if (!::GetWindowThreadProcessId(window, &owner) || owner != processId) continue;
    // Only the process the user just started may hand on the foreground; without this the
    // window would open behind the others.
    ::AllowSetForegroundWindow(processId);
    return ::PostMessageA(window, message, 0, 0) != FALSE;
  }
  return false;
}
