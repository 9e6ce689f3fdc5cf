#pragma once
// The clients started from one installed Sivrel.exe, in every session of the machine. The custom
// action runs as LocalSystem, which may open any process; run as a user, it sees that user's own.
#include <windows.h>

#include <set>
#include <string>
#include <vector>

struct RunningClient {
  DWORD processId;
  HANDLE process;  // SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION
};

class RunningClients {
 public:
  RunningClients() = default;
  ~RunningClients();
  RunningClients(const RunningClients&) = delete;
  RunningClients& operator=(const RunningClients&) = delete;

  // Adds the processes whose image is `exePath` (compared without regard to case) and that are
  // not known yet; answers how many were added.
  int Scan(const std::string& exePath);
  // Waits until every known client has ended or `deadlineTick` (GetTickCount64) has passed;
  // true when all have ended.
  bool WaitAll(ULONGLONG deadlineTick) const;
  // Ends the known clients that still run, with `exitCode`; answers their process ids.
  std::vector<DWORD> TerminateRemaining(UINT exitCode) const;

  bool Empty() const { return m_clients.empty(); }

 private:
  std::vector<RunningClient> m_clients;
};

// The sessions in which a process of `exePath` runs, for the installation's first, impersonated
// phase, which may not open other users' processes: a process of the same file name counts when
// its image path cannot be read.
std::set<DWORD> ClientSessions(const std::string& exePath);
