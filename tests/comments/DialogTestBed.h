#pragma once
// A real comments window for tests under Wine: a hidden parent that records the commands posted
// to it, the thread's message loop registered with the module (so the window's filter runs), and
// a pump that offers each message to the loop's filters as the program's loop does.
#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "app/MessageLoop.h"
#include "comments/MainDlg.h"

namespace commentstest {

struct PostedCommand {
  WORD id;
  WORD code;
  LPARAM lParam;
};

// A hidden top-level window standing in for the tray frame.
class CommandRecorder {
 public:
  CommandRecorder();
  ~CommandRecorder();
  HWND Handle() const { return m_hWnd; }
  std::vector<PostedCommand> commands;

 private:
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
  HWND m_hWnd = nullptr;
};

struct Profile {
  bool allowRecordingControl = true;
  bool allowComments = true;
};

class DialogBed {
 public:
  // Creates the window from template 129, hidden, with the frame's flags as given.
  explicit DialogBed(Profile profile = Profile(), bool withParent = true);
  ~DialogBed();

  CMainDlg& dlg() { return *m_dlg; }
  HWND hwnd() const { return m_dlg->m_hWnd; }
  std::vector<PostedCommand>& commands() { return m_parent.commands; }

  // Pumps (through the loop's filters) until `done` or the timeout; answers done().
  bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 2000);
  // Pumps until the queue has stayed empty briefly.
  void Pump();
  // Shows the window and makes it the active, foreground one, as the tray's Open does.
  void ShowActive();
  // Clicks a button like the mouse does (BM_CLICK) and pumps.
  void Click(int controlId);

  HWND Item(int id) const { return ::GetDlgItem(hwnd(), id); }

 private:
  CommandRecorder m_parent;
  CMessageLoop m_loop;
  std::unique_ptr<CMainDlg> m_dlg;
};

// The control's own visibility flag, whatever the window's.
bool Shown(HWND control);
HBITMAP ButtonFace(HWND button);
HBITMAP Picture(HWND picture);
std::string Text(HWND window);
SIZE BitmapSize(HBITMAP bitmap);
// True when `bitmap` has the size and the pixels of bitmap resource `resourceId` of this program:
// a face or picture shows that resource, whichever handle it is.
bool ShowsResource(HBITMAP bitmap, int resourceId);

// The module is initialised once per test process with the executable's own resources.
void EnsureModule();

}  // namespace commentstest
