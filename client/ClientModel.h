#pragma once
// The client's rules in one place: the only owner of what the client knows (the service's
// connection, authorisation, monitoring and recording, the profile, the upload, the submit
// check mark, whether the comments window is on screen, and whether the program is closing).
// It takes a service event, a command or an expired timer and answers what to show and what to
// call, as Effects; the frame renders them. One thread (the user-interface thread) calls it.
// Platform-free.
#include <string>

#include "client/CommentsLook.h"
#include "client/Effects.h"
#include "service/ServiceEvent.h"
#include "service/ServiceModel.h"

namespace client {

// Where a command came from. A click in the comments window changes that window's look at once
// (the check mark, the paused title); the same command from the tray or from outside only acts.
enum class CommandSource { Elsewhere, CommentsWindow };

class ClientModel {
 public:
  // `windows8OrLater` chooses the flat status icons over the glossy ones.
  explicit ClientModel(bool windows8OrLater);

  // The frame is created: the service's profile as it is before the service starts.
  Effects Start(const vesk::ScreenRecorderProfile& profile);

  Effects Apply(const vesk::ServiceEvent& event);
  // A command id of res/resource.h; ids the model does not own answer no effects.
  Effects Command(unsigned id, CommandSource source = CommandSource::Elsewhere);
  Effects TimerExpired(Timer timer);

  // The text the comments window handed over after Effects::takeComment.
  Effects CommentTaken(const std::string& text);
  // A second start of the program asks for the window: opened, never toggled.
  Effects OpenRequested();
  // The shell built a new taskbar, without our icon.
  Effects TaskbarCreated();
  // The version balloon, with the service's version text.
  Effects VersionReported(const std::string& version);
  // The service has been stopped and started again for Restart.
  Effects ServiceRestarted();
  // The session ends (`ending`; false: the end was cancelled). With `closeApp` the system (the
  // Restart Manager, for an update) asks the program to close, which it does as Exit does.
  Effects SessionEnding(bool ending, bool closeApp);
  // The program is closing: from now on connection, recording and upload events change nothing.
  void Close();

  // Read by the frame for icon adds and by tests.
  int StatusIconId() const;
  const char* StatusText() const;
  int NotConnectedIconId() const;
  bool ShowsTrayIcon() const { return profile_.showTrayIcon; }
  bool Connected() const { return connected_; }
  bool Authorized() const { return authorized_; }
  bool Recording() const { return recording_; }
  const CommentsLook& Look() const { return look_; }

 private:
  void ApplyConnectionState(std::uint32_t state, Effects& effects);
  void ApplyRecordingState(std::uint32_t kind, Effects& effects);
  void ApplyUploadProgress(unsigned percent, Effects& effects);
  void ApplyProfile(const vesk::ScreenRecorderProfile& profile, Effects& effects);

  void ShowStatus(Effects& effects, const char* tip = nullptr) const;
  void ShowIconOnly(Effects& effects) const;
  static void ShowBalloon(Effects& effects, BalloonKind kind, std::string text, const char* title);

  // The looks of the comments window; each changes look_ only as far as it says.
  void LookRecordingStarted(Effects& effects);
  void LookRecordingStopped(Effects& effects);
  void LookPaused(bool paused);
  void LookProfileControls();
  void UpdateCommands();
  Effects& Finish(Effects& effects);

  const bool windows8OrLater_;

  bool connected_ = false;
  bool authorized_ = false;
  bool monitored_ = false;
  bool recording_ = false;
  bool paused_ = false;
  bool submitPending_ = false;  // the check mark shows and its timer runs
  bool closing_ = false;
  bool windowShown_ = false;
  vesk::ScreenRecorderProfile profile_;

  CommentsLook look_;
  CommentsLook rendered_;  // what the last Effects with a look said
};

}  // namespace client
