#include "RunningClients.h"

#include <tlhelp32.h>

RunningClients::~RunningClients() {
  for (const RunningClient& client : m_clients) ::CloseHandle(client.process);
}

int RunningClients::Scan(const std::string& exePath) {
  const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  int added = 0;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry)) {
    bool known = false;
    for (const RunningClient& client : m_clients) known = known || client.processId == entry.th32ProcessID;
    if (known) continue;
    const HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION,
                                         FALSE, entry.th32ProcessID);
    if (!process) continue;
    // The whole path, not the name in the snapshot: a Sivrel.exe started from another folder is
    // not one whose files the package replaces.
    char image[MAX_PATH * 2];
    DWORD size = sizeof image;
    if (::QueryFullProcessImageNameA(process, 0, image, &size) && ::lstrcmpiA(image, exePath.c_str()) == 0) {
      m_clients.push_back(RunningClient{entry.th32ProcessID, process});
      ++added;
    } else {
      ::CloseHandle(process);
    }
  }
  ::CloseHandle(snapshot);
  return added;
}

bool RunningClients::WaitAll(ULONGLONG deadlineTick) const {
  for (const RunningClient& client : m_clients) {
    const ULONGLONG now = ::GetTickCount64();
    const DWORD left = now < deadlineTick ? static_cast<DWORD>(deadlineTick - now) : 0;
    if (::WaitForSingleObject(client.process, left) != WAIT_OBJECT_0) return false;
  }
  return true;
}

std::vector<DWORD> RunningClients::TerminateRemaining(UINT exitCode) const {
  std::vector<DWORD> ended;
  for (const RunningClient& client : m_clients) {
    if (::WaitForSingleObject(client.process, 0) == WAIT_OBJECT_0) continue;
    if (::TerminateProcess(client.process, exitCode)) {
      ::WaitForSingleObject(client.process, 5000);
      ended.push_back(client.processId);
    }
  }
  return ended;
}

std::set<DWORD> ClientSessions(const std::string& exePath) {
  std::set<DWORD> sessions;
  const std::string name = exePath.substr(exePath.find_last_of('\\') + 1);
  const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return sessions;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry)) {
    if (::lstrcmpiA(entry.szExeFile, name.c_str()) != 0) continue;
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
    if (process) {
      char image[MAX_PATH * 2];
      DWORD size = sizeof image;
      const bool other = ::QueryFullProcessImageNameA(process, 0, image, &size) && ::lstrcmpiA(image, exePath.c_str()) != 0;
      ::CloseHandle(process);
      if (other) continue;
    }
    DWORD session = 0;
    if (::ProcessIdToSessionId(entry.th32ProcessID, &session)) sessions.insert(session);
  }
  ::CloseHandle(snapshot);
  return sessions;
}
