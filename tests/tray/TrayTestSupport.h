#pragma once
// The tray's Windows tests drive the real frame, the real comments window and the real Wine
// notification area in-process; the seams below only watch (and, where a test says so, refuse
// or replace) what crosses the system edge.
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tools/FakeRecorderService.h"
#include "app/MessageLoop.h"
#include "tray/FrameEdges.h"
#include "tray/MainFrame.h"

namespace traytest {

// One Shell_NotifyIconA call as the shell was told it.
struct ShellCall {
  DWORD message = 0;
  UINT flags = 0;
  HWND window = nullptr;
  UINT id = 0;
  UINT callbackMessage = 0;
  int iconId = 0;  // resource id of the icon, 0 if none of ours
  std::string tip, info, title;
  UINT timeout = 0;
  DWORD infoFlags = 0;
  DWORD cbSize = 0;
  DWORD thread = 0;
};

// "add 208 'Not Connected'", "icon+tip 210 'Connected'", "icon 207", "balloon off",
// "balloon 'Calyra' 'text'", "delete".
std::string Describe(const ShellCall& call);

// The resource id of one of our icons as the tray loads it, or 0.
int IconIdOf(HICON icon);

// Everything the seams saw. The seams are plain function pointers, so the log is one object.
class EdgeLog {
 public:
  static EdgeLog& Get();
  void Reset();

  std::vector<ShellCall> ShellCalls() const;
  std::vector<std::string> Described() const;
  // The next `count` NIM_ADD calls fail without reaching the shell.
  void RefuseAdds(int count);
  // When false, nothing reaches the real notification area (the benchmark's own figure).
  void PassToShell(bool pass);

  struct MenuCall {
    int x = 0, y = 0;
    UINT flags = 0;
    HWND owner = nullptr;
  };
  std::vector<MenuCall> MenuCalls() const;
  // Replaces the real menu (false): the call is only recorded.
  void ShowRealMenu(bool real);
  void PlaceCursor(bool place, POINT at = POINT{0, 0});

  struct ProcessCall {
    std::string commandLine;
    bool applicationNull = false;
    DWORD startupSize = 0;
    bool startupRestZero = false;
    BOOL inheritHandles = TRUE;
    DWORD creationFlags = 0;
  };
  std::vector<ProcessCall> ProcessCalls() const;
  std::vector<HANDLE> ClosedHandles() const;
  void FailProcessStart(bool fail);

  struct PlacementCall {
    DWORD cbSize = 0;
    HWND owner = nullptr;
    UINT id = 0;
  };
  std::vector<PlacementCall> PlacementCalls() const;

  // The next `count` posts of the frame's event path (its wake-ups, the close of a shutdown
  // request) fail, as they do when the message queue is full.
  void RefusePosts(int count);
  // Every clock reading of the event drain finds its time slice over, so each drain yields as
  // soon as it first looks at the clock.
  void EndEverySlice(bool end);

  // The edges of a frame whose every call goes through this log.
  FrameEdges Edges(const vesk::ServiceEdge& service) const;

  static BOOL WINAPI ShellNotifyIcon(DWORD message, PNOTIFYICONDATAA data);
  static BOOL WINAPI TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                                    const RECT* rect);
  static BOOL WINAPI GetCursorPos(LPPOINT point);
  static BOOL WINAPI CreateProcess(LPCSTR, LPSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                                   BOOL, DWORD, LPVOID, LPCSTR, LPSTARTUPINFOA,
                                   LPPROCESS_INFORMATION);
  static BOOL WINAPI CloseHandle(HANDLE handle);
  static HRESULT WINAPI ShellNotifyIconGetRect(const NOTIFYICONIDENTIFIER* identifier, RECT* rect);
  static BOOL WINAPI PostFrameMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static BOOL WINAPI DrainClock(LARGE_INTEGER* counter);

  // Handles the fake process start hands out.
  static HANDLE FakeProcessHandle() { return reinterpret_cast<HANDLE>(0x4ec0); }
  static HANDLE FakeThreadHandle() { return reinterpret_cast<HANDLE>(0x4ec4); }
  // Where the fake placement says the icon is.
  static RECT IconRect() { return RECT{1200, 776, 1224, 800}; }

 private:
  mutable std::mutex mutex_;
  std::vector<ShellCall> shell_;
  int refuseAdds_ = 0;
  bool passToShell_ = true;
  std::vector<MenuCall> menus_;
  bool realMenu_ = true;
  bool placeCursor_ = false;
  POINT cursor_{0, 0};
  std::vector<ProcessCall> processes_;
  std::vector<HANDLE> closed_;
  bool failProcess_ = false;
  std::vector<PlacementCall> placements_;
  int refusePosts_ = 0;
  bool endEverySlice_ = false;
  LONGLONG leapingClock_ = 0;
};

// Runs `step` on the user-interface thread every `periodMs` (from a timer of a window of its
// own) until it answers true. Used to look at modal UI (the tray menu, the About box) from
// inside its loop.
class UiSteps {
 public:
  UiSteps(std::function<bool()> step, UINT periodMs = 30);
  ~UiSteps();
  bool Finished() const { return finished_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
  std::function<bool()> step_;
  HWND window_ = nullptr;
  bool finished_ = false;
};

// A real frame on this thread with the fake service and the logged edges.
class FrameHarness {
 public:
  FrameHarness();
  ~FrameHarness();

  sivrel_test::FakeRecorderService service;
  std::unique_ptr<CMainFrame> frame;
  CMessageLoop loop;

  // Constructs and creates the frame, as start-up does, and lets it settle.
  bool Create();
  // Pumps until every service event raised so far has taken effect.
  bool Settle(DWORD timeoutMs = 5000);
  // Runs the frame's message loop as start-up does; the loop's exit code, or -1 if it did not
  // end within `timeoutMs` (a watchdog then ends it).
  int RunLoop(DWORD timeoutMs);

  HWND Window() const { return frame ? frame->m_hWnd : nullptr; }
  HWND Comments() { return frame->CommentsDialog().m_hWnd; }
  // The comments window's control has WS_VISIBLE (while the window itself may be hidden).
  bool ControlShown(int id);
  LRESULT TrayCallback(UINT code, UINT id = IDR_TRAYMENU);
  LRESULT Command(UINT id);

 private:
  bool created_ = false;
};

// Lines written to the standard error stream while it lives.
class StderrCapture {
 public:
  StderrCapture();
  ~StderrCapture();
  std::string Text();

 private:
  int savedFd_ = -1;
  std::string path_;
  bool done_ = false;
};

}  // namespace traytest
