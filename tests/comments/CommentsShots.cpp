// Shows the comments window in one of its looks until a flag file appears, for the screenshots
// under docs/ (tests/comments/take-screenshots.sh drives it). The looks are the client model's,
// reached by the service events and clicks that lead to them, rendered as the frame renders them.
//   comments-shots.exe LOOK FLAGFILE
// LOOK: idle, recording, paused, submitted, uploading, uploaded, recording-uploading, and
// full-comment (1,480 characters typed key by key into the box, which keeps its 1024).
// Prints "ready LEFT TOP RIGHT BOTTOM" (the window's screen rectangle) once it is on screen.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "DialogTestBed.h"
#include "client/ClientModel.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: comments-shots LOOK FLAGFILE\n");
    return 2;
  }
  const std::string look = argv[1];
  const std::string flag = argv[2];
  commentstest::DialogBed bed(commentstest::BedOptions{true, nullptr, ""});
  CMainDlg& dlg = bed.dlg();
  HWND box = bed.Item(IDC_COMMENT);

  // What the frame does with the effects that concern the comments window.
  client::ClientModel model(true);
  std::function<void(const client::Effects&)> render = [&](const client::Effects& effects) {
    if (effects.hasLook) dlg.Render(effects.look);
    if (effects.resetComment) dlg.ResetComment();
    if (effects.takeComment) render(model.CommentTaken(dlg.TakeComment()));
  };
  vesk::ScreenRecorderProfile profile;
  profile.allowRecordingControl = profile.allowComments = profile.showTrayIcon = true;
  render(model.Start(profile));
  render(model.Apply(vesk::ServiceEvent::ConnectionState(1)));  // connected
  render(model.Apply(vesk::ServiceEvent::ConnectionState(3)));  // authorised
  render(model.Command(ID_TRAY_OPEN));
  bed.ShowActive();

  const char* comment =
      "Customer called about invoice 4711 and asked for the refund form; walked them through it.";
  const bool recording = look == "recording" || look == "paused" || look == "submitted" ||
                         look == "recording-uploading" || look == "full-comment";
  if (recording) render(model.Apply(vesk::ServiceEvent::RecordingState(1)));
  if (recording && look != "full-comment") {
    ::SetWindowTextA(box, comment);
    ::SetFocus(box);
    ::SendMessageA(box, EM_SETSEL, 200, 200);
  }
  if (look == "full-comment") {
    ::SetFocus(box);
    bed.Pump();
    std::string typed;
    while (typed.size() < 1480) typed += std::string(comment) + " ";
    typed.resize(1480);
    bed.Type(typed);
  }
  if (look == "paused") {
    render(model.Command(ID_RECORDING_PAUSE, client::CommandSource::CommentsWindow));
  }
  if (look == "submitted") {
    render(model.Command(ID_COMMENT_SUBMIT, client::CommandSource::CommentsWindow));
  }
  if (look == "uploading" || look == "uploaded" || look == "recording-uploading") {
    render(model.Apply(vesk::ServiceEvent::UploadProgress(40)));
  }
  if (look == "uploaded") render(model.Apply(vesk::ServiceEvent::UploadProgress(100)));
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
