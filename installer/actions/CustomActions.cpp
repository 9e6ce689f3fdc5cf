// SivrelSetup.dll: the package's custom actions, run by Windows Installer from its Binary table.
//
//   FindClients   immediate, before the older product is removed in an upgrade (which closes the
//                 clients): notes the sessions in which a client of [INSTALLDIR]Sivrel.exe runs,
//                 in the property ClientSessions ("1,3"). Only reads: immediate actions run as the
//                 installing user and change nothing.
//   CloseClients  deferred, as LocalSystem, which reaches every session, before any file is
//                 replaced or removed; CustomActionData "<install folder>". Asks every client
//                 started from the folder to close (app/CloseRequest.h: the request is a file in
//                 that folder) and waits for them.
//   StartClients  deferred, as LocalSystem, once the new files are in place; CustomActionData
//                 "<Sivrel.exe>|<ClientSessions>|<signed-in>": starts the client in those sessions
//                 and, when the third field is not empty (a first install that starts at sign-in),
//                 in every session a user is signed in to.
//
// The sessions are found before anything is closed, by the newer package itself, because in an
// upgrade the clients are closed by the older package's removal, which runs first and cannot
// tell the newer one what it closed (deferred actions share no memory and set no properties).
//
// None ever fails the installation: a client that cannot be closed or started is reported in the
// log (msiexec /l*v), and the files are then replaced at the next reboot or the client starts at
// the next sign-in, as without these actions.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <set>
#include <string>
#include <vector>

#include "RunningClients.h"
#include "SessionStart.h"
#include "app/CloseRequest.h"

namespace {

const char kClientExe[] = "Sivrel.exe";
// How long clients get to stop their recorder service and end. A client that hears no request
// (a version from before the request existed, or one that hangs) is ended after it, so that the
// files can be replaced without a reboot; its exit code, 4, tells it from a client that closed.
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

std::string Property(MSIHANDLE install, const char* name) {
  char empty[1] = "";
  DWORD size = 0;
  ::MsiGetPropertyA(install, name, empty, &size);
  std::string value(size + 1, '\0');
  size = static_cast<DWORD>(value.size());
  ::MsiGetPropertyA(install, name, &value[0], &size);
  value.resize(size);
  return value;
}

// CustomActionData's fields, split at each '|'.
std::vector<std::string> ActionData(MSIHANDLE install) {
  const std::string data = Property(install, "CustomActionData");
  std::vector<std::string> fields(1);
  for (char c : data) {
    if (c == '|') fields.emplace_back();
    else fields.back() += c;
  }
  return fields;
}

std::string List(const std::set<DWORD>& ids) {
  std::string text;
  for (DWORD id : ids) text += (text.empty() ? "" : ",") + std::to_string(id);
  return text;
}

std::set<DWORD> ParseList(const std::string& text) {
  std::set<DWORD> ids;
  std::string number;
  for (char c : text + ",") {
    if (c >= '0' && c <= '9') {
      number += c;
    } else if (!number.empty()) {
      ids.insert(static_cast<DWORD>(std::stoul(number)));
      number.clear();
    }
  }
  return ids;
}

}  // namespace

extern "C" __declspec(dllexport) UINT __stdcall FindClients(MSIHANDLE install) {
  std::string folder = Property(install, "INSTALLDIR");
  if (folder.empty()) return ERROR_SUCCESS;
  if (folder.back() != '\\') folder += '\\';
  const std::string sessions = List(ClientSessions(folder + kClientExe));
  ::MsiSetPropertyA(install, "ClientSessions", sessions.c_str());
  Log(install, "clients run in sessions " + (sessions.empty() ? std::string("none") : sessions));
  return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall CloseClients(MSIHANDLE install) {
  std::string folder = ActionData(install)[0];
  if (folder.empty()) return ERROR_SUCCESS;
  if (folder.back() != '\\') folder += '\\';
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
  Log(install, "closed the clients of " + exe);
  return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall StartClients(MSIHANDLE install) {
  std::vector<std::string> data = ActionData(install);
  data.resize(3);
  const std::string& exe = data[0];
  std::set<DWORD> sessions = ParseList(data[1]);
  if (!data[2].empty()) {
    const std::set<DWORD> signedIn = SignedInSessions();
    sessions.insert(signedIn.begin(), signedIn.end());
  }
  if (exe.empty()) return ERROR_SUCCESS;
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
