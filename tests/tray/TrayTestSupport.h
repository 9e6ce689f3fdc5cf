#pragma once
// The tray's Windows tests drive the real frame, the real comments window and the real Wine
// notification area in-process. A recorder of the test's own sits at the frame's system edges:
// it sees what crosses them and, where a test says so, refuses or replaces it.
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/MessageLoop.h"
#include "tools/FakeRecorderService.h"
#include "tray/FrameEdges.h"
#include "tray/MainFrame.h"

namespace traytest {

using Lines = std::vector<std::string>;

// One Shell_NotifyIconA call as the shell was told it.
struct ShellCall {
  DWORD message = 0;
  UINT flags = 0;
  HWND window = nullptr;
  UINT id = 0;
  UINT callbackMessage = 0;
  int iconId = 0;  // resource id of the icon, 0 if none, -1 if not ours
  std::string tip, info, title;
  UINT timeout = 0;
  DWORD infoFlags = 0;
  DWORD cbSize = 0;
  DWORD thread = 0;
};

// "add 208 'Not Connected'", "icon+tip 210 'Connected'", "icon 207", "balloon off",
// "balloon 'Calyra' 'text'", "delete".
std::string Describe(const ShellCall& call);

// What crosses the frame's edges. Its address is the context of every edge it hands out, so it
// must outlive the frame it was given to. Calls may come from any thread.
class EdgeRecorder {
 public:
  // The edges of a frame whose every system call goes through this recorder.
  FrameEdges Edges(const vesk::ServiceEdge& service);

  std::vector<ShellCall> ShellCalls() const;
  std::size_t ShellCallCount() const { return ShellCalls().size(); }
  Lines Described() const;
  Lines DescribedSince(std::size_t from) const;
  // The next `count` NIM_ADD calls fail without reaching the shell.
  void RefuseAdds(int count);

  struct MenuCall {
    int x = 0, y = 0;
    UINT flags = 0;
    HWND owner = nullptr;
  };
  std::vector<MenuCall> MenuCalls() const;
  // From now on the tray menu is only recorded, never shown, and opens at `cursor`.
  void FakeMenuAt(POINT cursor);

  struct ProcessCall {
    std::string commandLine;
    std::string application;       // "<null>" when none was given
    bool onlyCommandLine = false;  // no attributes, environment or directory
    DWORD startupSize = 0;
    bool startupRestZero = false;
    BOOL inheritHandles = TRUE;
    DWORD creationFlags = 0;
  };
  std::vector<ProcessCall> ProcessCalls() const;
  std::vector<HANDLE> ClosedHandles() const;
  void FailProcessStart(bool fail);
  // Handles the fake process start hands out.
  static HANDLE FakeProcessHandle() { return reinterpret_cast<HANDLE>(0x4ec0); }
  static HANDLE FakeThreadHandle() { return reinterpret_cast<HANDLE>(0x4ec4); }

  // The icons whose rectangle the placement asked for (Wine's shell cannot say; the recorder
  // answers a rectangle at the bottom right).
  struct PlacementCall {
    HWND owner = nullptr;
    UINT id = 0;
  };
  std::vector<PlacementCall> PlacementCalls() const;

  // The next `count` posts of the event pump (its wake-ups, the close of a shutdown request)
  // fail, as they do when the message queue is full.
  void RefusePosts(int count);
  // Every clock reading of the event drain finds its time slice over, so each drain yields as
  // soon as it first looks at the clock.
  void EndEverySlice(bool end);

 private:
  static BOOL ShellNotifyIcon(void* self, DWORD message, PNOTIFYICONDATAA data);
  static BOOL TrackPopupMenu(void* self, HMENU menu, UINT flags, int x, int y, HWND owner);
  static BOOL GetCursorPos(void* self, POINT* point);
  static BOOL CreateProcess(void* self, LPCSTR, LPSTR, LPSECURITY_ATTRIBUTES,
                            LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCSTR, LPSTARTUPINFOA,
                            LPPROCESS_INFORMATION);
  static BOOL CloseHandle(void* self, HANDLE handle);
  static HRESULT ShellNotifyIconGetRect(void* self, const NOTIFYICONIDENTIFIER* icon, RECT* rect);
  static BOOL PostMessage(void* self, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LONGLONG NowMicroseconds(void* self);

  mutable std::mutex mutex_;
  std::vector<ShellCall> shell_;
  int refuseAdds_ = 0;
  std::vector<MenuCall> menus_;
  bool fakeMenu_ = false;
  POINT cursor_{0, 0};
  std::vector<ProcessCall> processes_;
  std::vector<HANDLE> closed_;
  bool failProcess_ = false;
  std::vector<PlacementCall> placements_;
  int refusePosts_ = 0;
  bool endEverySlice_ = false;
  LONGLONG leapingClock_ = 0;
  EventPumpEdge realPump_;
};

// Runs `step` on the user-interface thread every `periodMs` (from a timer of a window of its
// own) until it answers true. Used to look at modal UI (the tray menu, the About box) from
// inside its loop.
class UiSteps {
 public:
  UiSteps(std::function<bool()> step, UINT periodMs = 30);
  ~UiSteps();

 private:
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
  std::function<bool()> step_;
  HWND window_ = nullptr;
  bool finished_ = false;
};

// A real frame on this thread with the fake service and the recorded edges.
class FrameHarness {
 public:
  FrameHarness();
  ~FrameHarness();

  EdgeRecorder edges;  // outlives the frame, whose end deletes the icon through it
  sivrel_test::FakeRecorderService service;
  std::unique_ptr<CMainFrame> frame;
  CMessageLoop loop;

  // Constructs and creates the frame, as start-up does, and lets it settle.
  bool Create();
  // Pumps until the event pump has no wake-up waiting (what the service raised before has taken
  // effect, unless a post was refused), then until the queue is idle.
  bool Settle(DWORD timeoutMs = 5000);
  // Runs the frame's message loop as start-up does; the loop's exit code, or -1 if it did not
  // end within `timeoutMs` (a watchdog then ends it).
  int RunLoop(DWORD timeoutMs);

  HWND Window() const { return frame ? frame->m_hWnd : nullptr; }
  HWND Comments() const { return frame->CommentsWindow(); }
  HWND Control(int id) const { return ::GetDlgItem(Comments(), id); }
  // The comments window's control has WS_VISIBLE (while the window itself may be hidden).
  bool ControlShown(int id) const;
  // The comments window as drawn: the title's picture, the faces of the two changing buttons and
  // which controls show, e.g. "recording submit+ pause+ stop+ what- comment+ uploading-
  // uploaded-" (the form of the model's own tests).
  std::string Look() const;

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
