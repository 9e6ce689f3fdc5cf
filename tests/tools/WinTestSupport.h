#pragma once
// Helpers for the Windows-side tests: pumping messages with a deadline instead of sleeping,
// starting the real programs and finding their windows.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace wintest {

// Pumps this thread's messages until `done` answers true or `timeoutMs` passes; answers `done()`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
// The same, offering each message to `consumes` first, as a message loop offers it to its filters;
// a message it consumes is not dispatched.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs,
               const std::function<bool(MSG&)>& consumes);

// Pumps until the queue is empty (no message for one pass), at most `timeoutMs`.
void PumpIdle(DWORD timeoutMs = 200);

// The folder of the running test executable, with a trailing backslash (bin\).
std::string BinDir();

// A process started for a test; killed if the test lets go of it while it still runs.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts `exe` with `arguments` and the show command in STARTUPINFO.
  bool Start(const std::string& exe, const std::string& arguments, WORD showCommand = SW_SHOWNORMAL);
  // Starts `exe` by its wide name, which may hold characters the ANSI code page lacks.
  bool StartWide(const std::wstring& exe);
  // Starts a whole command line, the program found from it as the shell finds it (a Run value).
  bool StartCommandLine(const std::string& commandLine);
  // Waits for the end; false on timeout. `exitCode` receives the code.
  bool Wait(DWORD timeoutMs, DWORD* exitCode);
  DWORD Id() const { return m_info.dwProcessId; }
  HANDLE Handle() const { return m_info.hProcess; }
  void Kill();

 private:
  PROCESS_INFORMATION m_info{};
};

// Top-level windows of process `pid` whose class name starts with `classPrefix` (all if empty).
std::vector<HWND> ProcessWindows(DWORD pid, const std::string& classPrefix = "");

// Waits (polling with short waits on the process handle) for such a window; null on timeout.
HWND WaitForProcessWindow(const ChildProcess& process, const std::string& classPrefix,
                          DWORD timeoutMs);

// Threads of this process that have not ended (a thread counts until it has returned).
int ThreadCount();

std::string ClassName(HWND hWnd);
std::string WindowText(HWND hWnd);

// How many icons the notification area has been given so far in this Wine session, or -1 when
// there is none. Wine 8's tray draws its icons itself (no window per icon) but keeps one
// tooltip tool for every icon ever added, and removing an icon leaves its tool: the count rises
// with each icon added by any process and never falls.
int ShellIconsAdded();

}  // namespace wintest
