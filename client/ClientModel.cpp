#include "client/ClientModel.h"

#include <algorithm>
#include <utility>

#include "client/ServiceStateRules.h"
#include "client/StatusPresentation.h"
#include "comments/CommentsText.h"
#include "res/resource.h"

namespace client {

ClientModel::ClientModel(bool windows8OrLater) : windows8OrLater_(windows8OrLater) {}

// ----------------------------------------------------------------------------- status and notices

int ClientModel::StatusIconId() const {
  return client::StatusIconId(StatusFlags{connected_, authorized_, recording_, monitored_},
                              windows8OrLater_);
}

const char* ClientModel::StatusText() const {
  return client::StatusText(StatusFlags{connected_, authorized_, recording_, monitored_});
}

int ClientModel::NotConnectedIconId() const { return client::NotConnectedIconId(windows8OrLater_); }

void ClientModel::ShowStatus(Effects& effects, const char* tip) const {
  effects.hasStatus = true;
  effects.status = TrayStatus{StatusIconId(), tip ? tip : StatusText(), false};
}

void ClientModel::ShowIconOnly(Effects& effects) const {
  // The tooltip keeps its text until the next status event.
  effects.hasStatus = true;
  effects.status = TrayStatus{StatusIconId(), "", true};
}

void ClientModel::ShowBalloon(Effects& effects, BalloonKind kind, std::string text,
                              const char* title) {
  effects.hasBalloon = true;
  effects.balloon.kind = kind;
  effects.balloon.text = std::move(text);
  effects.balloon.title = title;
}

// ----------------------------------------------------------------------------- the window's looks

void ClientModel::UpdateCommands() {
  // A button posts what its face says: Start starts, Submit submits, the check mark posts
  // nothing until its three seconds are over; Pause and Resume only while a recording is shown.
  switch (look_.startSubmitFace) {
    case StartSubmitFace::Start: look_.startSubmitCommand = ID_RECORDING_START; break;
    case StartSubmitFace::Submit: look_.startSubmitCommand = ID_COMMENT_SUBMIT; break;
    case StartSubmitFace::Submitted: look_.startSubmitCommand = 0; break;
  }
  look_.pauseResumeCommand = !recording_ ? 0
                             : paused_   ? ID_RECORDING_RESUME
                                         : ID_RECORDING_PAUSE;
}

Effects& ClientModel::Finish(Effects& effects) {
  UpdateCommands();
  if (look_ != rendered_) {
    effects.hasLook = true;
    effects.look = look_;
    rendered_ = look_;
  }
  return effects;
}

void ClientModel::LookRecordingStarted(Effects& effects) {
  recording_ = true;
  paused_ = false;
  submitPending_ = false;
  look_.title = Title::Recording;
  look_.startSubmitFace = StartSubmitFace::Submit;
  look_.pauseResumeFace = PauseResumeFace::Pause;
  look_.whatIsThisShown = false;
  effects.cancel[static_cast<int>(Timer::SubmitMark)] = true;
  if (profile_.allowRecordingControl) {
    look_.stopShown = true;
    look_.pauseResumeShown = true;
  }
  const bool comment = connected_ && authorized_ && profile_.allowComments;
  look_.commentShown = comment;
  look_.startSubmitShown = comment;
}

void ClientModel::LookRecordingStopped(Effects& effects) {
  // The paused mark and the check mark keep their values until the next start.
  recording_ = false;
  look_.title = Title::Idle;
  look_.startSubmitFace = StartSubmitFace::Start;
  effects.resetComment = true;  // text not yet submitted is discarded
  look_.commentShown = false;
  effects.cancel[static_cast<int>(Timer::SubmitMark)] = true;
  look_.stopShown = false;
  look_.pauseResumeShown = false;
  look_.whatIsThisShown = true;
  look_.startSubmitShown = profile_.allowRecordingControl;
}

void ClientModel::LookPaused(bool paused) {
  paused_ = paused;
  look_.title = paused ? Title::Paused : Title::Recording;
  look_.pauseResumeFace = paused ? PauseResumeFace::Resume : PauseResumeFace::Pause;
}

void ClientModel::LookProfileControls() {
  // The comment box is left as it is.
  const bool allowed = profile_.allowRecordingControl;
  if (recording_) {
    look_.stopShown = allowed;
    look_.pauseResumeShown = allowed;
  } else {
    look_.startSubmitShown = allowed;
  }
}

// ----------------------------------------------------------------------------- inputs

Effects ClientModel::Start(const vesk::ScreenRecorderProfile& profile) {
  Effects effects;
  profile_ = profile;
  look_ = CommentsLook();
  look_.startSubmitShown = profile_.allowRecordingControl;
  rendered_ = CommentsLook();
  rendered_.startSubmitShown = !look_.startSubmitShown;  // the first look is always rendered
  if (profile_.showTrayIcon) {
    effects.trayIcon = TrayIconChange::AddOrRetry;
    effects.addIconId = NotConnectedIconId();
    effects.addTip = "Not Connected";
  }
  return Finish(effects);
}

Effects ClientModel::Apply(const vesk::ServiceEvent& event) {
  using Kind = vesk::ServiceEventKind;
  Effects effects;
  if (closing_ && vesk::IsIgnorable(event.kind)) return effects;
  switch (event.kind) {
    case Kind::ConnectionState:
      ApplyConnectionState(event.code, effects);
      break;
    case Kind::RecordingState:
      ApplyRecordingState(event.code, effects);
      break;
    case Kind::UploadProgress:
      ApplyUploadProgress(event.code, effects);
      break;
    case Kind::Shutdown:
      effects.close = true;
      break;
    case Kind::Monitored:
      monitored_ = event.monitored;
      ShowStatus(effects);
      break;
    case Kind::Profile:
      ApplyProfile(event.profile, effects);
      break;
    case Kind::Updated:
      ShowBalloon(effects, BalloonKind::Update, kUpdateBalloonText, kUpdateBalloonTitle);
      break;
    case Kind::Notification:
      ShowBalloon(effects, BalloonKind::Notification, event.text, kProductName);
      break;
  }
  return Finish(effects);
}

void ClientModel::ApplyConnectionState(std::uint32_t state, Effects& effects) {
  const ConnectionRule& rule = ConnectionRuleFor(state);
  if (rule.connected != FlagChange::Keep) connected_ = rule.connected == FlagChange::Set;
  if (rule.authorized != FlagChange::Keep) authorized_ = rule.authorized == FlagChange::Set;
  if (rule.updateBalloon) {
    ShowBalloon(effects, BalloonKind::Update, kUpdateBalloonText, kUpdateBalloonTitle);
  }
  if (recording_) {
    // Unlike the recording look itself, this does not consult allowComments.
    const bool ready = connected_ && authorized_;
    look_.commentShown = ready;
    look_.startSubmitShown = ready;
  }
  ShowStatus(effects, rule.tooltip);
}

void ClientModel::ApplyRecordingState(std::uint32_t kind, Effects& effects) {
  switch (ClassifyRecordingKind(kind)) {
    case RecordingKindEffect::Running:
      if (recording_) return;
      recording_ = true;
      ShowStatus(effects);
      LookRecordingStarted(effects);
      break;
    case RecordingKindEffect::Paused:
      LookPaused(true);
      break;
    case RecordingKindEffect::Resumed:
      LookPaused(false);
      break;
    case RecordingKindEffect::NotRunning:
      if (!recording_) return;
      recording_ = false;
      ShowStatus(effects);
      LookRecordingStopped(effects);
      break;
    case RecordingKindEffect::Ignored:
      break;
  }
}

void ClientModel::ApplyUploadProgress(unsigned percent, Effects& effects) {
  // Visible here means on screen: while the window is hidden every control counts as not
  // visible, so an upload reported meanwhile leaves the comment box as it was (and a finished one
  // brings it back while recording). What results shows when the window is next opened.
  const bool commentOnScreen = windowShown_ && look_.commentShown;
  if (std::min(percent, 100u) == 100) {
    if (!commentOnScreen && recording_) look_.commentShown = true;
    look_.uploadingShown = false;
    look_.pauseResumeShown = false;
    look_.stopShown = false;
    look_.uploadedShown = true;
    effects.arm[static_cast<int>(Timer::UploadedPicture)] = true;
    return;
  }
  // Only exactly 100 is done; the percentage itself is not shown.
  if (commentOnScreen) look_.commentShown = false;
  look_.uploadingShown = true;
}

void ClientModel::ApplyProfile(const vesk::ScreenRecorderProfile& profile, Effects& effects) {
  profile_ = profile;
  if (profile.showTrayIcon) {
    effects.trayIcon = TrayIconChange::Add;
    effects.addIconId = NotConnectedIconId();
    effects.addTip = "Not Connected";
    ShowStatus(effects);
  } else {
    effects.trayIcon = TrayIconChange::Remove;
  }
  LookProfileControls();
}

Effects ClientModel::Command(unsigned id, CommandSource source) {
  Effects effects;
  const bool clicked = source == CommandSource::CommentsWindow;
  switch (id) {
    case ID_COMMENTS_HIDE:
      effects.window = WindowChange::Hide;
      windowShown_ = false;
      break;
    case ID_TRAY_OPEN:
      effects.window = windowShown_ ? WindowChange::Hide : WindowChange::Show;
      windowShown_ = !windowShown_;
      break;
    case ID_RECORDING_START:
      effects.Call(ServiceCall::StopAutoRecord);
      recording_ = true;
      ShowIconOnly(effects);
      LookRecordingStarted(effects);
      effects.Call(ServiceCall::StartRecording);
      break;
    case ID_RECORDING_STOP:
      effects.Call(ServiceCall::StopAutoRecord);
      recording_ = false;
      ShowIconOnly(effects);
      LookRecordingStopped(effects);
      effects.Call(ServiceCall::StopRecording);
      break;
    case ID_COMMENT_SUBMIT:
      if (clicked && recording_) {
        // The check mark shows for three seconds whether or not there is a comment to send;
        // clicks meanwhile post nothing.
        if (submitPending_) break;
        submitPending_ = true;
        look_.startSubmitFace = StartSubmitFace::Submitted;
        effects.arm[static_cast<int>(Timer::SubmitMark)] = true;
      }
      effects.takeComment = true;
      break;
    case ID_RECORDING_PAUSE:
    case ID_RECORDING_RESUME:
      // A click changes the look at once; the service's later report sets the same look again.
      if (clicked && recording_) LookPaused(id == ID_RECORDING_PAUSE);
      effects.Call(id == ID_RECORDING_PAUSE ? ServiceCall::Pause : ServiceCall::Resume);
      break;
    case ID_TRAY_RESTART:
      // The frame applies the events raised before it, restarts the service and then reports
      // ServiceRestarted.
      effects.Call(ServiceCall::Restart);
      break;
    case ID_AUTORECORD_TOGGLE:
      effects.Call(ServiceCall::ToggleAutoRecord);
      break;
    case ID_TRAY_EXIT:
      effects.close = true;
      break;
    default:
      break;
  }
  return Finish(effects);
}

Effects ClientModel::TimerExpired(Timer timer) {
  Effects effects;
  if (timer == Timer::SubmitMark) {
    if (recording_) {
      look_.startSubmitFace = StartSubmitFace::Submit;
      submitPending_ = false;
    }
  } else {
    look_.uploadedShown = false;
    if (recording_ && profile_.allowRecordingControl) {
      look_.stopShown = true;
      look_.pauseResumeShown = true;
    }
  }
  return Finish(effects);
}

Effects ClientModel::CommentTaken(const std::string& text) {
  Effects effects;
  if (comments::IsComment(text)) {
    effects.comment = text;
    effects.Call(ServiceCall::AddComment);
  }
  return Finish(effects);
}

Effects ClientModel::OpenRequested() {
  Effects effects;
  effects.window = WindowChange::ShowInFront;
  windowShown_ = true;
  return Finish(effects);
}

Effects ClientModel::TaskbarCreated() {
  Effects effects;
  if (!profile_.showTrayIcon) return effects;
  effects.trayIcon = TrayIconChange::AddAgain;
  effects.addIconId = StatusIconId();
  effects.addTip = StatusText();
  return effects;
}

Effects ClientModel::VersionReported(const std::string& version) {
  Effects effects;
  ShowBalloon(effects, BalloonKind::Version, "Version: " + version + "\n" + kRightsLine,
              kProductName);
  return effects;
}

Effects ClientModel::ServiceRestarted() {
  // The icon keeps what it shows until the next status event.
  Effects effects;
  recording_ = false;
  LookRecordingStopped(effects);
  return Finish(effects);
}

Effects ClientModel::SessionEnding(bool ending, bool closeApp) {
  Effects effects;
  if (!ending) return effects;
  if (closeApp) {
    effects.closeNow = true;
  } else {
    // The process may be ended as soon as the message returns: the service stops here and now,
    // which lets it finish its work.
    closing_ = true;
    effects.stopService = true;
  }
  return effects;
}

void ClientModel::Close() { closing_ = true; }

}  // namespace client
