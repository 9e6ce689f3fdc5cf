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

// Whether the notification area holds the icon `id` of window `owner`, asked the documented way:
// Shell_NotifyIcon(NIM_MODIFY) for that window and id, with nothing to change, succeeds only for
// an icon the notification area holds. Works for any process's window; changes nothing.
bool ShellHoldsIcon(HWND owner, UINT id);

// How many client icons the notification area holds now, or -1 when there is no notification
// area: one for each top-level window of the client's classes ("Sivrel:...") that holds the
// client's icon (id IDR_TRAYMENU), asked as ShellHoldsIcon asks. Nothing of the shell's own
// windows is read: Wine 8's tray draws its icons itself and keeps a tooltip tool for every icon
// it was ever given, Wine 10's gives each icon a window of its own, Windows' keeps them in a
// toolbar; none of that is documented, and the counts differ.
int ShellIconsAdded();

// A bitmap's size, and every pixel as 32-bit top-down rows (empty when it cannot be read).
SIZE BitmapSize(HBITMAP bitmap);
std::vector<DWORD> BitmapPixels(HBITMAP bitmap);
// The same size and the same pixels: told apart by what they show, not by their handles (a
// control may show a copy of the bitmap it was given).
bool SameBitmap(HBITMAP a, HBITMAP b);

}  // namespace wintest
