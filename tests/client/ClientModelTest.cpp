// The client's rules, as sequences: each step is one input to the model and the effects it must
// answer, described as text and compared with the expected lines (a step that expects nothing
// must answer nothing). A scenario starts from a created frame with the profile it names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/ClientModel.h"
#include "client/StatusPresentation.h"
#include "comments/CommentsText.h"
#include "res/resource.h"
#include "service/ServiceModel.h"

namespace {

using client::ClientModel;
using client::CommandSource;
using client::Effects;
using client::Timer;
using vesk::ServiceEvent;

// ------------------------------------------------------------------------- describing effects

std::string Flag(const char* name, bool shown) { return std::string(name) + (shown ? "+" : "-"); }

std::string DescribeLook(const client::CommentsLook& l) {
  static const char* const kTitles[] = {"idle", "recording", "paused"};
  static const char* const kStartSubmit[] = {"start", "submit", "submitted"};
  const auto command = [](unsigned id) -> std::string {
    switch (id) {
      case ID_RECORDING_START: return "start";
      case ID_COMMENT_SUBMIT: return "submit";
      case ID_RECORDING_PAUSE: return "pause";
      case ID_RECORDING_RESUME: return "resume";
      case 0: return "-";
      default: return std::to_string(id);
    }
  };
  return std::string("look ") + kTitles[static_cast<int>(l.title)] + " " +
         Flag(kStartSubmit[static_cast<int>(l.startSubmitFace)], l.startSubmitShown) + " " +
         Flag(l.pauseResumeFace == client::PauseResumeFace::Pause ? "pause" : "resume",
              l.pauseResumeShown) +
         " " + Flag("stop", l.stopShown) + " " + Flag("what", l.whatIsThisShown) + " " +
         Flag("comment", l.commentShown) + " " + Flag("uploading", l.uploadingShown) + " " +
         Flag("uploaded", l.uploadedShown) + " => " + command(l.startSubmitCommand) + "/" +
         command(l.pauseResumeCommand);
}

std::vector<std::string> Describe(const Effects& e) {
  static const char* const kBalloons[] = {"update", "notification", "version"};
  static const char* const kTray[] = {"", "add", "add-or-retry", "add-again", "remove"};
  static const char* const kWindow[] = {"", "show", "hide", "show-in-front"};
  static const char* const kTimers[] = {"submit-mark", "uploaded-picture"};
  static const char* const kCalls[] = {"start-recording", "stop-recording", "pause", "resume",
                                       "add-comment", "restart", "stop-auto-record",
                                       "toggle-auto-record"};
  std::vector<std::string> out;
  if (e.hasBalloon) {
    out.push_back(std::string("balloon ") + kBalloons[static_cast<int>(e.balloon.kind)] + " '" +
                  e.balloon.title + "' '" + e.balloon.text + "'");
  }
  if (e.trayIcon != client::TrayIconChange::None) {
    std::string line = std::string("tray ") + kTray[static_cast<int>(e.trayIcon)];
    if (e.trayIcon != client::TrayIconChange::Remove) {
      line += " " + std::to_string(e.addIconId) + " '" + e.addTip + "'";
    }
    out.push_back(line);
  }
  if (e.hasStatus) {
    out.push_back(e.status.iconOnly ? "icon " + std::to_string(e.status.iconId)
                                    : "status " + std::to_string(e.status.iconId) + " '" +
                                          e.status.tip + "'");
  }
  if (e.hasLook) out.push_back(DescribeLook(e.look));
  if (e.resetComment) out.push_back("reset comment");
  if (e.takeComment) out.push_back("take comment");
  if (e.window != client::WindowChange::None) {
    out.push_back(std::string("window ") + kWindow[static_cast<int>(e.window)]);
  }
  for (std::size_t t = 0; t < client::kTimers; ++t) {
    if (e.cancel[t]) out.push_back(std::string("cancel ") + kTimers[t]);
    if (e.arm[t]) out.push_back(std::string("arm ") + kTimers[t]);
  }
  for (std::size_t i = 0; i < e.callCount; ++i) {
    std::string line = std::string("call ") + kCalls[static_cast<int>(e.calls[i])];
    if (e.calls[i] == client::ServiceCall::AddComment) line += " '" + e.comment + "'";
    out.push_back(line);
  }
  if (e.close) out.push_back("close");
  if (e.closeNow) out.push_back("close now");
  if (e.stopService) out.push_back("stop service");
  return out;
}

// ------------------------------------------------------------------------- the inputs

struct Input {
  std::string name;
  Effects (*run)(ClientModel&, const Input&) = nullptr;
  ServiceEvent event;
  unsigned id = 0;
  CommandSource source = CommandSource::Elsewhere;
  Timer timer = Timer::SubmitMark;
  std::string text;
};

Input Make(std::string name, Effects (*run)(ClientModel&, const Input&)) {
  Input in;
  in.name = std::move(name);
  in.run = run;
  return in;
}
Input Event(std::string name, ServiceEvent event) {
  Input in = Make(std::move(name), [](ClientModel& m, const Input& i) { return m.Apply(i.event); });
  in.event = std::move(event);
  return in;
}
Input Connection(std::uint32_t state) {
  return Event("connection " + std::to_string(state), ServiceEvent::ConnectionState(state));
}
Input Recording(std::uint32_t kind) {
  return Event("recording " + std::to_string(kind), ServiceEvent::RecordingState(kind));
}
Input Upload(unsigned char percent) {
  return Event("upload " + std::to_string(percent), ServiceEvent::UploadProgress(percent));
}
Input Profile(bool control, bool comments, bool icon) {
  vesk::ScreenRecorderProfile p;
  p.allowRecordingControl = control;
  p.allowComments = comments;
  p.showTrayIcon = icon;
  return Event("profile", ServiceEvent::Profile(p));
}
Input Command(unsigned id, CommandSource source = CommandSource::Elsewhere) {
  Input in = Make("command " + std::to_string(id),
                  [](ClientModel& m, const Input& i) { return m.Command(i.id, i.source); });
  in.id = id;
  in.source = source;
  return in;
}
Input Click(unsigned id) { return Command(id, CommandSource::CommentsWindow); }
Input Expired(Timer timer) {
  Input in = Make("timer", [](ClientModel& m, const Input& i) { return m.TimerExpired(i.timer); });
  in.timer = timer;
  return in;
}
Input Taken(std::string text) {
  Input in = Make("taken '" + text + "'",
                  [](ClientModel& m, const Input& i) { return m.CommentTaken(i.text); });
  in.text = std::move(text);
  return in;
}
Input Restarted() {
  return Make("restarted", [](ClientModel& m, const Input&) { return m.ServiceRestarted(); });
}
Input OpenRequest() {
  return Make("open request", [](ClientModel& m, const Input&) { return m.OpenRequested(); });
}

struct Step {
  Input input;
  std::vector<std::string> expected;
};

vesk::ScreenRecorderProfile MakeProfile(bool control, bool comments, bool icon) {
  vesk::ScreenRecorderProfile p;
  p.allowRecordingControl = control;
  p.allowComments = comments;
  p.showTrayIcon = icon;
  return p;
}

// Runs the steps on a model started with `profile` (the start's own effects are not compared).
void Play(ClientModel& model, const std::vector<Step>& steps) {
  for (std::size_t i = 0; i < steps.size(); ++i) {
    SCOPED_TRACE("step " + std::to_string(i + 1) + ": " + steps[i].input.name);
    EXPECT_EQ(Describe(steps[i].input.run(model, steps[i].input)), steps[i].expected);
  }
}

void Play(const vesk::ScreenRecorderProfile& profile, const std::vector<Step>& steps) {
  ClientModel model(true);
  model.Start(profile);
  Play(model, steps);
}

const vesk::ScreenRecorderProfile kFull = MakeProfile(true, true, true);

const std::string kIdle = "look idle start+ pause- stop- what+ comment- uploading- uploaded- => start/-";
const std::string kRecording =
    "look recording submit+ pause+ stop+ what- comment+ uploading- uploaded- => submit/pause";

// ------------------------------------------------------------------------- start-up

TEST(ClientModel, StartAddsTheNotConnectedIconAndTheIdleLookAsTheProfileSays) {
  struct Row {
    vesk::ScreenRecorderProfile profile;
    bool windows8;
    std::vector<std::string> expected;
  };
  const Row rows[] = {
      {kFull, true, {"tray add-or-retry 208 'Not Connected'", kIdle}},
      {kFull, false, {"tray add-or-retry 275 'Not Connected'", kIdle}},
      {MakeProfile(false, true, true), true,
       {"tray add-or-retry 208 'Not Connected'",
        "look idle start- pause- stop- what+ comment- uploading- uploaded- => start/-"}},
      {MakeProfile(true, true, false), true, {kIdle}},
  };
  for (const Row& row : rows) {
    ClientModel model(row.windows8);
    EXPECT_EQ(Describe(model.Start(row.profile)), row.expected);
  }
}

// ------------------------------------------------------------------------- connection

TEST(ClientModel, ConnectionStatesChangeTheFlagsAndTheTooltipAsTabled) {
  namespace connection = vesk::model::connection;
  struct Row {
    const char* name;
    std::vector<Input> before;  // reaches the flags the row starts from
    std::uint32_t state;
    bool connected, authorized;
    std::vector<std::string> expected;
  };
  const Row rows[] = {
      {"Disconnected keeps authorisation", {Connection(1), Connection(3)}, connection::Disconnected,
       false, true, {"status 208 'Not Connected'"}},
      {"Connected clears authorisation", {Connection(3)}, connection::Connected, true, false,
       {"status 254 'Connected - Not Authorized'"}},
      {"NotAuthorized while disconnected stays disconnected", {Connection(3)},
       connection::NotAuthorized, false, false, {"status 208 'Connected - Not Authorized'"}},
      {"NotAuthorized while connected", {Connection(1), Connection(3)}, connection::NotAuthorized,
       true, false, {"status 254 'Connected - Not Authorized'"}},
      {"Authorized while disconnected", {}, connection::Authorized, false, true,
       {"status 208 'Connected'"}},
      {"Authorized", {Connection(1)}, connection::Authorized, true, true, {"status 210 'Connected'"}},
      {"Updated changes nothing but shows the notice first", {Connection(1), Connection(3)},
       connection::Updated, true, true,
       {"balloon update 'Application Update' '" + std::string(client::kUpdateBalloonText) + "'",
        "status 210 'Connected'"}},
      {"unknown value 5", {Connection(1)}, 5, true, false, {"status 254 'Connected - Not Authorized'"}},
      {"unknown value 0xffffffff", {Connection(3)}, 0xffffffffu, false, true, {"status 208 'Not Connected'"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ClientModel model(true);
    model.Start(kFull);
    for (const Input& in : row.before) in.run(model, in);
    EXPECT_EQ(Describe(model.Apply(ServiceEvent::ConnectionState(row.state))), row.expected);
    EXPECT_EQ(model.Connected(), row.connected);
    EXPECT_EQ(model.Authorized(), row.authorized);
  }
}

TEST(ClientModel, MonitoredCountsOnlyWhenConnectedAndAuthorisedAndRecordingWinsOverAll) {
  Play(kFull, {
      {Event("monitored", ServiceEvent::Monitored(true)), {"status 208 'Not Connected'"}},
      {Connection(1), {"status 254 'Connected - Not Authorized'"}},
      {Connection(3), {"status 255 'Connected'"}},
      {Event("monitored", ServiceEvent::Monitored(true)), {"status 255 'Connected - Monitored'"}},
      {Recording(1), {"status 207 'Recording'", kRecording, "cancel submit-mark"}},
      {Event("monitored", ServiceEvent::Monitored(false)), {"status 207 'Recording'"}},
  });
}

// ------------------------------------------------------------------------- recording

TEST(ClientModel, RecordingKindsStartPauseResumeAndStopTheLook) {
  Play(kFull, {
      {Connection(1), {"status 254 'Connected - Not Authorized'"}},
      {Connection(3), {"status 210 'Connected'"}},
      {Recording(2), {"status 207 'Recording'", kRecording, "cancel submit-mark"}},
      {Recording(1), {}},  // already recording
      {Recording(3), {"look paused submit+ resume+ stop+ what- comment+ uploading- uploaded- => submit/resume"}},
      {Recording(3), {}},
      {Recording(4), {kRecording}},
      {Recording(8), {}},
      {Recording(0xffffffffu), {}},
      {Recording(7), {"status 210 'Connected'", kIdle, "reset comment", "cancel submit-mark"}},
      {Recording(0), {}},  // already idle
      {Recording(5), {}},
  });
}

TEST(ClientModel, PausedAndResumedChangeTheTitleAndFaceEvenWhileIdle) {
  // The service's word is taken as it comes; the pause button stays hidden and posts nothing.
  Play(kFull, {
      {Recording(3), {"look paused start+ resume- stop- what+ comment- uploading- uploaded- => start/-"}},
      {Recording(4), {"look recording start+ pause- stop- what+ comment- uploading- uploaded- => start/-"}},
      {Recording(0), {}},  // the client counts no recording, so there is none to stop
  });
}

TEST(ClientModel, TheCommentBoxNeedsAReadyServiceAndAllowedComments) {
  const std::string noComment =
      "look recording submit- pause+ stop+ what- comment- uploading- uploaded- => submit/pause";
  // Not ready: no comment box; connection while recording shows it without asking allowComments.
  Play(MakeProfile(true, false, true), {
      {Recording(1), {"status 207 'Recording'", noComment, "cancel submit-mark"}},
      {Connection(1), {"status 207 'Connected - Not Authorized'"}},
      {Connection(3), {"status 207 'Connected'", kRecording}},
      {Connection(2), {"status 207 'Connected - Not Authorized'", noComment}},
      {Recording(0), {"status 254 'Connected - Not Authorized'", kIdle, "reset comment", "cancel submit-mark"}},
      {Connection(3), {"status 210 'Connected'"}},
      {Recording(1), {"status 207 'Recording'", noComment, "cancel submit-mark"}},
  });
}

// ------------------------------------------------------------------------- commands

TEST(ClientModel, StartAndStopCommandsChangeOnlyTheIconAndCallTheService) {
  Play(kFull, {
      {Command(ID_RECORDING_START),
       {"icon 207",
        "look recording submit- pause+ stop+ what- comment- uploading- uploaded- => submit/pause",
        "cancel submit-mark", "call stop-auto-record", "call start-recording"}},
      {Command(ID_RECORDING_START), {"icon 207", "cancel submit-mark", "call stop-auto-record", "call start-recording"}},
      {Command(ID_RECORDING_STOP),
       {"icon 208", kIdle, "reset comment", "cancel submit-mark", "call stop-auto-record",
        "call stop-recording"}},
  });
}

TEST(ClientModel, ASubmitClickShowsTheCheckMarkForItsTimeAndIgnoresClicksMeanwhile) {
  const std::string submitted =
      "look recording submitted+ pause+ stop+ what- comment+ uploading- uploaded- => -/pause";
  Play(kFull, {
      {Connection(1), {"status 254 'Connected - Not Authorized'"}},
      {Connection(3), {"status 210 'Connected'"}},
      {Recording(1), {"status 207 'Recording'", kRecording, "cancel submit-mark"}},
      {Click(ID_COMMENT_SUBMIT), {submitted, "take comment", "arm submit-mark"}},
      {Taken(comments::kHint), {}},  // the hint is never sent
      {Click(ID_COMMENT_SUBMIT), {}},
      {Command(ID_COMMENT_SUBMIT), {"take comment"}},  // from elsewhere: no check mark
      {Taken("a comment"), {"call add-comment 'a comment'"}},
      {Taken(""), {"call add-comment ''"}},
      {Expired(Timer::SubmitMark), {kRecording}},
      {Click(ID_COMMENT_SUBMIT), {submitted, "take comment", "arm submit-mark"}},
      // Stopped meanwhile: the mark stays until the next start, and the timer changes nothing.
      {Recording(0), {"status 210 'Connected'", kIdle, "reset comment", "cancel submit-mark"}},
      {Expired(Timer::SubmitMark), {}},
      {Recording(1), {"status 207 'Recording'", kRecording, "cancel submit-mark"}},
  });
}

TEST(ClientModel, PauseAndResumeClicksChangeTheLookAtOnceOtherCommandsOnlyCall) {
  const std::string paused =
      "look paused submit- resume+ stop+ what- comment- uploading- uploaded- => submit/resume";
  const std::string running =
      "look recording submit- pause+ stop+ what- comment- uploading- uploaded- => submit/pause";
  Play(kFull, {
      {Click(ID_RECORDING_PAUSE), {"call pause"}},  // idle: nothing to show
      {Recording(1), {"status 207 'Recording'", running, "cancel submit-mark"}},
      {Command(ID_RECORDING_PAUSE), {"call pause"}},
      {Click(ID_RECORDING_PAUSE), {paused, "call pause"}},
      {Recording(3), {}},  // the service's report sets the same look again
      {Click(ID_RECORDING_RESUME), {running, "call resume"}},
  });
}

TEST(ClientModel, OpenTogglesHideHidesAndASecondStartOnlyOpens) {
  Play(kFull, {
      {Command(ID_TRAY_OPEN), {"window show"}},
      {Command(ID_TRAY_OPEN), {"window hide"}},
      {Command(ID_TRAY_OPEN), {"window show"}},
      {Command(ID_COMMENTS_HIDE), {"window hide"}},
      {OpenRequest(), {"window show-in-front"}},
      {OpenRequest(), {"window show-in-front"}},
      {Command(ID_TRAY_OPEN), {"window hide"}},
  });
}

TEST(ClientModel, RestartCallsTheServiceAndReturnsToIdleWithoutTouchingTheIcon) {
  Play(kFull, {
      {Recording(1), {"status 207 'Recording'",
                      "look recording submit- pause+ stop+ what- comment- uploading- uploaded- => submit/pause",
                      "cancel submit-mark"}},
      {Command(ID_TRAY_RESTART), {"call restart"}},
      {Restarted(), {kIdle, "reset comment", "cancel submit-mark"}},
      {Recording(0), {}},
  });
}

TEST(ClientModel, ExitAutoRecordAndUnknownCommands) {
  Play(kFull, {
      {Command(ID_TRAY_EXIT), {"close"}},
      {Command(ID_AUTORECORD_TOGGLE), {"call toggle-auto-record"}},
      {Command(ID_ABOUT_DIALOG), {}},  // the frame's own
      {Command(12345), {}},
  });
}

// ------------------------------------------------------------------------- upload

TEST(ClientModel, UploadShowsTheBusyPictureUntilExactly100ThenTheDonePictureForItsTime) {
  Play(kFull, {
      {Connection(1), {"status 254 'Connected - Not Authorized'"}},
      {Connection(3), {"status 210 'Connected'"}},
      {Command(ID_TRAY_OPEN), {"window show"}},
      {Recording(1), {"status 207 'Recording'", kRecording, "cancel submit-mark"}},
      {Upload(0), {"look recording submit+ pause+ stop+ what- comment- uploading+ uploaded- => submit/pause"}},
      {Upload(99), {}},
      {Upload(100), {"look recording submit+ pause- stop- what- comment+ uploading- uploaded+ => submit/pause",
                     "arm uploaded-picture"}},
      {Upload(250), {"arm uploaded-picture"}},  // above 100 counts as done
      {Expired(Timer::UploadedPicture), {kRecording}},
  });
}

TEST(ClientModel, UploadWhileTheWindowIsHiddenTestsVisibilityAsNotOnScreen) {
  // Every control counts as not visible: the box is not hidden by progress, and 100 shows it.
  Play(kFull, {
      {Connection(1), {"status 254 'Connected - Not Authorized'"}},
      {Connection(3), {"status 210 'Connected'"}},
      {Recording(1), {"status 207 'Recording'", kRecording, "cancel submit-mark"}},
      {Upload(10), {"look recording submit+ pause+ stop+ what- comment+ uploading+ uploaded- => submit/pause"}},
      {Connection(2), {"status 207 'Connected - Not Authorized'",
                       "look recording submit- pause+ stop+ what- comment- uploading+ uploaded- => submit/pause"}},
      {Upload(100), {"look recording submit- pause- stop- what- comment+ uploading- uploaded+ => submit/pause",
                     "arm uploaded-picture"}},
  });
}

TEST(ClientModel, TheDonePictureBringsTheButtonsBackOnlyWhileRecordingWithControl) {
  Play(MakeProfile(false, true, true), {
      {Upload(100), {"look idle start- pause- stop- what+ comment- uploading- uploaded+ => start/-",
                     "arm uploaded-picture"}},
      {Expired(Timer::UploadedPicture), {"look idle start- pause- stop- what+ comment- uploading- uploaded- => start/-"}},
  });
}

TEST(ClientModel, LooksThatOutliveAStopOrAStart) {
  const std::string stopped = "look idle start+ pause- stop- what+ comment- uploading- uploaded- => start/-";
  // A new start after a paused stop shows Pause again.
  Play(kFull, {
      {Connection(1), {"status 254 'Connected - Not Authorized'"}},
      {Connection(3), {"status 210 'Connected'"}},
      {Recording(1), {"status 207 'Recording'", kRecording, "cancel submit-mark"}},
      {Recording(3), {"look paused submit+ resume+ stop+ what- comment+ uploading- uploaded- => submit/resume"}},
      {Recording(0), {"status 210 'Connected'",
                      "look idle start+ resume- stop- what+ comment- uploading- uploaded- => start/-",
                      "reset comment", "cancel submit-mark"}},
      {Recording(1), {"status 207 'Recording'", kRecording, "cancel submit-mark"}},
  });
  // The upload display survives a stop and a start.
  Play(kFull, {
      {Connection(1), {"status 254 'Connected - Not Authorized'"}},
      {Connection(3), {"status 210 'Connected'"}},
      {Command(ID_TRAY_OPEN), {"window show"}},
      {Recording(1), {"status 207 'Recording'", kRecording, "cancel submit-mark"}},
      {Upload(10), {"look recording submit+ pause+ stop+ what- comment- uploading+ uploaded- => submit/pause"}},
      {Recording(0), {"status 210 'Connected'",
                      "look idle start+ pause- stop- what+ comment- uploading+ uploaded- => start/-",
                      "reset comment", "cancel submit-mark"}},
      {Recording(1), {"status 207 'Recording'",
                      "look recording submit+ pause+ stop+ what- comment+ uploading+ uploaded- => submit/pause",
                      "cancel submit-mark"}},
  });
  // The done picture's time ends after a stop: no recording buttons come back.
  Play(kFull, {
      {Connection(1), {"status 254 'Connected - Not Authorized'"}},
      {Connection(3), {"status 210 'Connected'"}},
      {Recording(1), {"status 207 'Recording'", kRecording, "cancel submit-mark"}},
      {Upload(100), {"look recording submit+ pause- stop- what- comment+ uploading- uploaded+ => submit/pause",
                     "arm uploaded-picture"}},
      {Recording(0), {"status 210 'Connected'",
                      "look idle start+ pause- stop- what+ comment- uploading- uploaded+ => start/-",
                      "reset comment", "cancel submit-mark"}},
      {Expired(Timer::UploadedPicture), {stopped}},
  });
}

TEST(ClientModel, CommentsOnlyAndProfileChangesWhileRecordingAndReady) {
  // Comments without recording control: the box and Submit, no Start, no Stop or Pause.
  Play(MakeProfile(false, true, true), {
      {Connection(1), {"status 254 'Connected - Not Authorized'"}},
      {Connection(3), {"status 210 'Connected'"}},
      {Recording(1), {"status 207 'Recording'",
                      "look recording submit+ pause- stop- what- comment+ uploading- uploaded- => submit/pause",
                      "cancel submit-mark"}},
      {Recording(0), {"status 210 'Connected'",
                      "look idle start- pause- stop- what+ comment- uploading- uploaded- => start/-",
                      "reset comment", "cancel submit-mark"}},
  });
  Play(kFull, {
      {Connection(1), {"status 254 'Connected - Not Authorized'"}},
      {Connection(3), {"status 210 'Connected'"}},
      {Recording(1), {"status 207 'Recording'", kRecording, "cancel submit-mark"}},
      {Profile(false, true, true), {"tray add 208 'Not Connected'", "status 207 'Recording'",
                                    "look recording submit+ pause- stop- what- comment+ uploading- uploaded- => submit/pause"}},
      {Profile(true, true, true), {"tray add 208 'Not Connected'", "status 207 'Recording'", kRecording}},
  });
  // A profile that allows comments gives the next recording the box.
  Play(MakeProfile(true, false, true), {
      {Connection(1), {"status 254 'Connected - Not Authorized'"}},
      {Connection(3), {"status 210 'Connected'"}},
      {Profile(true, true, true), {"tray add 208 'Not Connected'", "status 210 'Connected'"}},
      {Recording(1), {"status 207 'Recording'", kRecording, "cancel submit-mark"}},
  });
}

// ------------------------------------------------------------------------- profile and icon

TEST(ClientModel, AProfileEventReshapesTheWindowAndAddsOrRemovesTheIcon) {
  Play(kFull, {
      {Profile(false, true, true), {"tray add 208 'Not Connected'", "status 208 'Not Connected'",
                                    "look idle start- pause- stop- what+ comment- uploading- uploaded- => start/-"}},
      {Profile(true, true, false), {"tray remove", kIdle}},
      {Recording(1), {"status 207 'Recording'",
                      "look recording submit- pause+ stop+ what- comment- uploading- uploaded- => submit/pause",
                      "cancel submit-mark"}},
      // Recording: the comment box is left as it is; stop and pause follow the profile.
      {Profile(false, true, true), {"tray add 208 'Not Connected'", "status 207 'Recording'",
                                    "look recording submit- pause- stop- what- comment- uploading- uploaded- => submit/pause"}},
  });
}

TEST(ClientModel, ANewTaskbarGetsTheIconBackWithTheCurrentStatusOnlyWhenTheProfileShowsIt) {
  ClientModel model(true);
  model.Start(kFull);
  model.Apply(ServiceEvent::ConnectionState(1));
  EXPECT_EQ(Describe(model.TaskbarCreated()),
            std::vector<std::string>{"tray add-again 254 'Connected - Not Authorized'"});
  model.Apply(ServiceEvent::Profile(MakeProfile(true, true, false)));
  EXPECT_TRUE(Describe(model.TaskbarCreated()).empty());
}

// ------------------------------------------------------------------------- notices and close

TEST(ClientModel, NoticesVersionShutdownAndWhatStillActsWhileClosing) {
  ClientModel model(true);
  model.Start(kFull);
  EXPECT_EQ(Describe(model.Apply(ServiceEvent::Notification("hello"))),
            std::vector<std::string>{"balloon notification 'Calyra' 'hello'"});
  EXPECT_EQ(Describe(model.VersionReported("5.4.0")),
            std::vector<std::string>{"balloon version 'Calyra' 'Version: 5.4.0\nCopyright (c) Calyra. All rights reserved.'"});
  EXPECT_EQ(Describe(model.Apply(ServiceEvent::Shutdown())), std::vector<std::string>{"close"});

  model.Close();
  // Connection, recording and upload events change nothing any more; the others still act.
  EXPECT_TRUE(Describe(model.Apply(ServiceEvent::ConnectionState(1))).empty());
  EXPECT_TRUE(Describe(model.Apply(ServiceEvent::RecordingState(1))).empty());
  EXPECT_TRUE(Describe(model.Apply(ServiceEvent::UploadProgress(50))).empty());
  EXPECT_EQ(Describe(model.Apply(ServiceEvent::Notification("late"))),
            std::vector<std::string>{"balloon notification 'Calyra' 'late'"});
  EXPECT_EQ(Describe(model.Apply(ServiceEvent::Monitored(true))),
            std::vector<std::string>{"status 208 'Not Connected'"});
  EXPECT_EQ(Describe(model.Apply(ServiceEvent::Updated())).size(), 1u);
}

TEST(ClientModel, TheEndOfTheSessionStopsTheServiceAndAnInstallersRequestClosesAsExitDoes) {
  struct Row {
    bool ending, closeApp;
    std::vector<std::string> expected;
    bool connectionStillActs;
  };
  const Row rows[] = {
      {false, false, {}, true},          // a cancelled end changes nothing
      {false, true, {}, true},
      {true, false, {"stop service"}, false},
      {true, true, {"close now"}, true},  // the close itself stops the rest
  };
  for (const Row& row : rows) {
    ClientModel model(true);
    model.Start(kFull);
    EXPECT_EQ(Describe(model.SessionEnding(row.ending, row.closeApp)), row.expected);
    EXPECT_EQ(Describe(model.Apply(ServiceEvent::ConnectionState(1))).empty(), !row.connectionStillActs);
  }
}

}  // namespace
