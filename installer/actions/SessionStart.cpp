#include "SessionStart.h"

#include <userenv.h>
#include <wtsapi32.h>

namespace {

std::string Failure(const char* what) { return std::string(what) + " failed, error " + std::to_string(::GetLastError()); }

// The started process is left running and its handles closed; it is the session's client now.
bool Started(BOOL ok, const PROCESS_INFORMATION& info) {
  if (!ok) return false;
  ::CloseHandle(info.hThread);
  ::CloseHandle(info.hProcess);
  return true;
}

}  // namespace

std::set<DWORD> SignedInSessions() {
  std::set<DWORD> sessions;
  WTS_SESSION_INFOA* info = nullptr;
  DWORD count = 0;
  if (::WTSEnumerateSessionsA(WTS_CURRENT_SERVER_HANDLE, 0, 1, &info, &count)) {
    for (DWORD i = 0; i < count; ++i) {
      // Session 0 runs services only; a listening session is a terminal server's listener.
      if (info[i].SessionId == 0 || info[i].State == WTSListen || info[i].State == WTSDown ||
          info[i].State == WTSInit || info[i].State == WTSReset) {
        continue;
      }
      HANDLE token = nullptr;
      // A session with no user signed in has no token (ERROR_NO_TOKEN); without the TCB privilege
      // none can be had, and the session is listed for StartInSession to decide.
      if (::WTSQueryUserToken(info[i].SessionId, &token)) {
        ::CloseHandle(token);
        sessions.insert(info[i].SessionId);
      } else if (::GetLastError() != ERROR_NO_TOKEN) {
        sessions.insert(info[i].SessionId);
      }
    }
    ::WTSFreeMemory(info);
  }
  if (sessions.empty()) {
    const DWORD console = ::WTSGetActiveConsoleSessionId();
    if (console != 0xFFFFFFFF) sessions.insert(console);
  }
  return sessions;
}

bool StartInSession(const std::string& exePath, DWORD session, std::string* error) {
  HANDLE token = nullptr;
  if (!::WTSQueryUserToken(session, &token)) {
    DWORD own = 0;
    if (!::ProcessIdToSessionId(::GetCurrentProcessId(), &own) || own != session) {
      *error = Failure("WTSQueryUserToken");
      return false;
    }
    token = nullptr;  // our own session: started as ourselves
  }
  void* environment = nullptr;
  if (token && !::CreateEnvironmentBlock(&environment, token, FALSE)) environment = nullptr;

  const std::string folder = exePath.substr(0, exePath.find_last_of('\\') + 1);
  std::string commandLine = "\"" + exePath + "\"";
  char desktop[] = "winsta0\\default";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.lpDesktop = desktop;
  PROCESS_INFORMATION info{};
  auto launch = [&](DWORD flags) {
    if (environment) flags |= CREATE_UNICODE_ENVIRONMENT;
    const BOOL ok = token ? ::CreateProcessAsUserA(token, exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                                                   flags, environment, folder.c_str(), &startup, &info)
                          : ::CreateProcessA(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, flags,
                                             nullptr, folder.c_str(), &startup, &info);
    return Started(ok, info);
  };
  // Out of the installer's job, if it runs in one, so that the client outlives the installation;
  // a job that allows no breakaway refuses the flag with access denied, and then the client is
  // started in the job after all.
  const bool ok = launch(CREATE_BREAKAWAY_FROM_JOB) || (::GetLastError() == ERROR_ACCESS_DENIED && launch(0));
  if (!ok) *error = Failure(token ? "CreateProcessAsUser" : "CreateProcess");
  if (environment) ::DestroyEnvironmentBlock(environment);
  if (token) ::CloseHandle(token);
  return ok;
}
