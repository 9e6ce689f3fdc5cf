// SivrelSetup.dll: the package's custom actions, run by Windows Installer from its Binary table.
// Both are deferred and run without impersonation, as LocalSystem, which can reach every session:
//
//   CloseClients  before the older product is removed and before any file is replaced or removed.
//                 CustomActionData "<install folder>|<REMOVE>". Asks every client started from the
//                 folder to close (app/CloseRequest.h: the request is a file in that folder),
//                 waits for them, and unless the product is being removed records their sessions
//                 for StartClients.
//   StartClients  once the new files are in place (and as the rollback of CloseClients, with the
//                 old files back). CustomActionData "<Sivrel.exe>|<signed-in>": starts the client in
//                 every recorded session and, when the second field is not empty (a first install
//                 that starts at sign-in), in every session a user is signed in to.
//
// Neither ever fails the installation: a client that cannot be closed or started is reported in
// the log (msiexec /l*v), and the files are then replaced at the next reboot or the client starts
// at the next sign-in, as without these actions.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <set>
#include <string>

#include "PendingRestart.h"
#include "RunningClients.h"
#include "SessionStart.h"
#include "app/CloseRequest.h"

namespace {

const char kClientExe[] = "Sivrel.exe";
// How long clients get to stop their recorder service and end. A client that hears no request
// (a version from before the request existed, or one that hangs) is ended after it, so that the
// files can be replaced without a reboot; the exit code tells it apart in the Application log.
constexpr ULONGLONG kCloseDeadlineMs = 30000;
constexpr UINT kEndedByPackage = 4;

void Log(MSIHANDLE install, const std::string& text) {
  const MSIHANDLE record = ::MsiCreateRecord(1);
  // The text goes in as a field, never as the template: paths may hold brackets.
  ::MsiRecordSetStringA(record, 0, "Sivrel: [1]");
  ::MsiRecordSetStringA(record, 1, text.c_str());
  ::MsiProcessMessage(install, INSTALLMESSAGE_INFO, record);
  ::MsiCloseHandle(record);
}

// The two fields of CustomActionData, split at the first '|'.
std::pair<std::string, std::string> ActionData(MSIHANDLE install) {
  char empty[1] = "";
  DWORD size = 0;
  ::MsiGetPropertyA(install, "CustomActionData", empty, &size);
  std::string data(size + 1, '\0');
  size = static_cast<DWORD>(data.size());
  ::MsiGetPropertyA(install, "CustomActionData", &data[0], &size);
  data.resize(size);
  const size_t bar = data.find('|');
  if (bar == std::string::npos) return {data, std::string()};
  return {data.substr(0, bar), data.substr(bar + 1)};
}

std::string List(const std::set<DWORD>& ids) {
  std::string text;
  for (DWORD id : ids) text += (text.empty() ? "" : ", ") + std::to_string(id);
  return text.empty() ? "none" : text;
}

}  // namespace

extern "C" __declspec(dllexport) UINT __stdcall CloseClients(MSIHANDLE install) {
  const auto data = ActionData(install);
  std::string folder = data.first;
  if (folder.empty()) return ERROR_SUCCESS;
  if (folder.back() != '\\') folder += '\\';
  const bool removing = !data.second.empty();
  const std::string exe = folder + kClientExe;
  const std::string request = folder + kCloseRequestFileName;

  RunningClients clients;
  if (clients.Scan(exe) == 0) {
    ::DeleteFileA(request.c_str());  // left by an installation that died
    Log(install, "no client of " + exe + " runs");
    return ERROR_SUCCESS;
  }
  const HANDLE file = ::CreateFileA(request.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Log(install, "cannot create " + request + ", error " + std::to_string(::GetLastError()));
  } else {
    ::CloseHandle(file);
  }
  // Clients that start meanwhile (a user signing in) find the request at once and close too; they
  // are waited for in the next round.
  const ULONGLONG deadline = ::GetTickCount64() + kCloseDeadlineMs;
  bool closed = false;
  do {
    closed = clients.WaitAll(deadline);
  } while (closed && clients.Scan(exe) > 0);
  if (!closed) {
    for (DWORD id : clients.TerminateRemaining(kEndedByPackage)) {
      Log(install, "client process " + std::to_string(id) + " did not close in time and was ended");
    }
  }
  ::DeleteFileA(request.c_str());
  const std::set<DWORD> sessions = clients.Sessions();
  Log(install, "closed the clients of " + exe + " in sessions " + List(sessions));
  if (!removing && !pending_restart::Add(sessions)) {
    Log(install, "cannot record the sessions to start the client in again, error " + std::to_string(::GetLastError()));
  }
  return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall StartClients(MSIHANDLE install) {
  const auto data = ActionData(install);
  const std::string& exe = data.first;
  std::set<DWORD> sessions = pending_restart::Take();
  if (!data.second.empty()) {
    const std::set<DWORD> signedIn = SignedInSessions();
    sessions.insert(signedIn.begin(), signedIn.end());
  }
  if (exe.empty() || sessions.empty()) return ERROR_SUCCESS;
  for (DWORD session : sessions) {
    std::string error;
    if (StartInSession(exe, session, &error)) {
      Log(install, "started " + exe + " in session " + std::to_string(session));
    } else {
      Log(install, "could not start " + exe + " in session " + std::to_string(session) + ": " + error);
    }
  }
  return ERROR_SUCCESS;
}
