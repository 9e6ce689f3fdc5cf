#pragma once
// A real comments window for tests under Wine: a hidden parent that records the commands posted
// to it, the thread's message loop registered with the module (so the window's filter runs), a
// pump that offers each message to the loop's filters as the program's loop does, the user's
// keyboard and mouse (SendInput), and observers that read back what the window shows.
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "app/MessageLoop.h"
#include "client/CommentsLook.h"
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

// What the window asked of the shell through its edge; no browser is started.
struct ShellCall {
  HWND owner;
  std::string verb, file;
  bool noParameters, noDirectory;
  INT show;
};

// A look written as the model's tables describe it (tests/client/ClientModelTest.cpp), without
// their "look " in front:
//   "recording submit+ pause+ stop+ what- comment+ uploading- uploaded- => submit/pause"
// the title, each control's face and visibility, then the commands of Start/Submit and
// Pause/Resume ("-" posts nothing).
client::CommentsLook Look(const std::string& text);
extern const char* const kIdleLook;
extern const char* const kRecordingLook;

struct BedOptions {
  bool withParent = true;
  std::function<void()> onCtrlO;
  // Rendered once the window is created, as the frame renders the model's first look.
  std::string firstLook = kIdleLook;
};

class DialogBed {
 public:
  // Creates the window from template 129, hidden, and renders the first look.
  explicit DialogBed(BedOptions options = BedOptions());
  ~DialogBed();

  CMainDlg& dlg() { return *m_dlg; }
  HWND hwnd() const { return m_dlg->m_hWnd; }
  std::vector<PostedCommand>& commands() { return m_parent.commands; }
  std::vector<ShellCall>& shellCalls() { return m_shellCalls; }

  void Render(const std::string& look) { m_dlg->Render(Look(look)); }

  // Pumps (through the loop's filters) until `done` or the timeout; answers done().
  bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 2000);
  // Pumps until the queue has stayed empty briefly.
  void Pump();
  // Shows the window and makes it the active, foreground one, as the tray's Open does.
  void ShowActive();

  // The user's hands, through the system's input queue: the window must be the foreground one.
  // A left click in the middle of the control, with the mouse; answers whether it went in.
  bool ClickWithMouse(int controlId);
  // Presses the keys in order and lets them go in reverse (a chord: {VK_CONTROL, 'O'}).
  bool Press(std::initializer_list<WORD> keys);
  // Key-downs and key-ups exactly as given (a key held down repeats: more downs, one up).
  struct Key {
    WORD vk;
    bool up;
  };
  bool Keys(const std::vector<Key>& keys);
  // Types the text character by character (single-byte text of the ANSI code page).
  bool Type(const std::string& text);

  HWND Item(int id) const { return ::GetDlgItem(hwnd(), id); }
  // The title picture: the template's first control, which has no id.
  HWND Title() const { return ::GetWindow(hwnd(), GW_CHILD); }

 private:
  bool Send(std::vector<INPUT>& inputs);

  CommandRecorder m_parent;
  CMessageLoop m_loop;
  std::vector<ShellCall> m_shellCalls;
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

int DisplayDpi();

// The resources each DPI's bitmap set must show, by their names, independently of the program's
// own table (comments/BitmapSets.cpp).
struct ExpectedSet {
  int dpi, skin, titleIdle, titleRecording, titlePaused, start, submit, submitted, pause, resume,
      close, stop, whatIsThis, uploading, uploaded;
};
// Null for a DPI without a set (the plain look).
const ExpectedSet* ExpectedSetFor(int dpi);

// What the window shows, read back from its controls in the words of Look() (without the
// commands): the title and the two changing faces are named by the resource of this DPI's set
// whose pixels they show and by their window texts (in the plain look by the texts alone); a
// picture and a text that disagree, or a picture of no resource, read as "?". The uploading
// display counts as shown when the picture and the busy animation both are.
std::string ShownLook(DialogBed& bed);
// The same text without its commands.
std::string WithoutCommands(const std::string& look);

// The module is initialised once per test process with the executable's own resources.
void EnsureModule();

}  // namespace commentstest
