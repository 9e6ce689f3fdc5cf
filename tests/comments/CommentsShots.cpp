// Shows the comments window in one of its looks until a flag file appears, for the screenshots
// under docs/ (tests/comments/take-screenshots.sh drives it).
//   comments-shots.exe LOOK FLAGFILE
// LOOK: idle, recording, paused, submitted, uploading, uploaded, recording-uploading, and
// full-comment (1,480 characters typed key by key into the box, which keeps its 1024).
// Prints "ready LEFT TOP RIGHT BOTTOM" (the window's screen rectangle) once it is on screen.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "DialogTestBed.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: comments-shots LOOK FLAGFILE\n");
    return 2;
  }
  const std::string look = argv[1];
  const std::string flag = argv[2];
  commentstest::DialogBed bed;
  CMainDlg& dlg = bed.dlg();
  dlg.m_bServiceReady = true;
  bed.ShowActive();

  const char* comment =
      "Customer called about invoice 4711 and asked for the refund form; walked them through it.";
  if (look == "recording" || look == "paused" || look == "submitted" ||
      look == "recording-uploading") {
    dlg.OnRecordingStarted();
    ::SetWindowTextA(dlg.m_editComment, comment);
    ::SetFocus(dlg.m_editComment);
    ::SendMessageA(dlg.m_editComment, EM_SETSEL, 200, 200);
  }
  if (look == "full-comment") {
    dlg.OnRecordingStarted();
    ::SetFocus(dlg.m_editComment);
    bed.Pump();
    for (int n = 0; n < 1480; ++n) {
      ::PostMessageA(dlg.m_editComment, WM_CHAR, static_cast<WPARAM>(comment[n % std::strlen(comment)]), 1);
    }
    bed.Pump();
  }
  if (look == "paused") dlg.OnRecordingPaused();
  if (look == "submitted") {
    bed.Click(IDC_START_SUBMIT);
    // What the frame does on the submit command: it takes the comment, the hint comes back.
    std::string taken;
    dlg.TakeComment(taken);
  }
  if (look == "uploading" || look == "uploaded" || look == "recording-uploading") {
    dlg.OnUploadProgress(40);
  }
  if (look == "uploaded") dlg.OnUploadProgress(100);
  // Windows hides focus rectangles until the keyboard is used; Wine's buttons draw them anyway,
  // and over the small link face the dotted frame crosses its text. The pictures show the
  // window as a mouse user on Windows sees it: no control focused outside the comment box.
  if (look != "recording" && look != "paused" && look != "recording-uploading" &&
      look != "full-comment") {
    ::SetFocus(nullptr);
  }

  // Let the busy animation draw a few frames before the picture is taken.
  bed.PumpUntil([] { return false; }, 600);
  RECT rc{};
  ::GetWindowRect(dlg, &rc);
  std::printf("ready %ld %ld %ld %ld\n", rc.left, rc.top, rc.right, rc.bottom);
  std::fflush(stdout);
  bed.PumpUntil([&] { return ::GetFileAttributesA(flag.c_str()) != INVALID_FILE_ATTRIBUTES; },
                30000);
  return 0;
}
