// Status presentation of the real frame under Wine, driven by the fake service from its own
// event thread: what the notification area is told after each event (expected-sequence tables),
// balloons, the profile's icon removal and re-adding, the retry timer, the new-taskbar re-add,
// and what reaches the comments window.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "TrayTestSupport.h"
#include "res/resource.h"
#include "tools/WinTestSupport.h"
#include "tray/WindowsVersion.h"

namespace {

using traytest::EdgeLog;
using traytest::FrameHarness;
using Lines = std::vector<std::string>;

const char kUpdateText[] =
    "Application was updated to the latest version. Please login again in your Tamlo account.";

// The shell calls made since `from`.
Lines CallsSince(size_t from) {
  Lines all = EdgeLog::Get().Described();
  return Lines(all.begin() + static_cast<long>(std::min(from, all.size())), all.end());
}

struct Step {
  const char* what;
  std::function<void(sivrel_test::FakeRecorderService&)> raise;
  Lines expected;
};

void RunSteps(FrameHarness& h, const std::vector<Step>& steps) {
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    const size_t before = EdgeLog::Get().ShellCalls().size();
    step.raise(h.service);
    ASSERT_TRUE(h.Settle());
    EXPECT_EQ(CallsSince(before), step.expected);
  }
}

void ExpectAllShellCallsOnThisThread() {
  const DWORD ui = ::GetCurrentThreadId();
  for (const traytest::ShellCall& call : EdgeLog::Get().ShellCalls()) {
    EXPECT_EQ(call.thread, ui) << "the notification area was told " << traytest::Describe(call)
                               << " from a service thread";
  }
}

TEST(TrayFrame, RunsOnAWindows8OrLaterSystem) {
  // The test prefix reports Windows 10; the manifest lists it, so the flat icon set is used.
  EXPECT_TRUE(IsWindows8OrLater());
}

TEST(TrayFrame, CreationAddsTheNotConnectedIconWithTheFullRecord) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  const auto calls = EdgeLog::Get().ShellCalls();
  ASSERT_EQ(calls.size(), 1u);
  const traytest::ShellCall& add = calls[0];
  EXPECT_EQ(traytest::Describe(add), "add 208 'Not Connected'");
  EXPECT_EQ(add.flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(add.cbSize, sizeof(NOTIFYICONDATAA));
  EXPECT_EQ(add.cbSize, 528u) << "x64 record with every member";
  EXPECT_EQ(add.window, h.Window());
  EXPECT_EQ(add.id, static_cast<UINT>(IDR_TRAYMENU));
  EXPECT_EQ(add.callbackMessage, ::RegisterWindowMessageA("WM_TRAYICON"));
  EXPECT_TRUE(h.frame->m_bInstalled);
  // The service is started last, after the handlers are in place.
  EXPECT_EQ(h.service.Operations(), (Lines{"Start"}));
  EXPECT_FALSE(::IsWindowVisible(h.Window()));
  EXPECT_FALSE(::IsWindowVisible(h.Comments()));
}

TEST(TrayFrame, IconAndTooltipFollowEveryStatusEvent) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  using namespace vesk::model::connection;
  RunSteps(h, {
      {"Connected", [](auto& s) { s.Connection(Connected); }, {"icon+tip 254 'Connected - Not Authorized'"}},
      {"Authorized", [](auto& s) { s.Connection(Authorized); }, {"icon+tip 210 'Connected'"}},
      {"monitored", [](auto& s) { s.Monitored(true); }, {"icon+tip 255 'Connected - Monitored'"}},
      // The connection table's fixed text beside the monitored icon.
      {"Authorized while monitored", [](auto& s) { s.Connection(Authorized); }, {"icon+tip 255 'Connected'"}},
      {"recording kind 1", [](auto& s) { s.Recording(1); }, {"icon+tip 207 'Recording'"}},
      {"second running kind 2", [](auto& s) { s.Recording(2); }, {}},
      {"paused", [](auto& s) { s.Recording(3); }, {}},
      {"resumed", [](auto& s) { s.Recording(4); }, {}},
      {"Disconnected while recording", [](auto& s) { s.Connection(Disconnected); }, {"icon+tip 207 'Not Connected'"}},
      {"recording stops (kind 6)", [](auto& s) { s.Recording(6); }, {"icon+tip 208 'Not Connected'"}},
      {"a stop while not recording", [](auto& s) { s.Recording(0); }, {}},
      {"NotAuthorized while disconnected", [](auto& s) { s.Connection(NotAuthorized); }, {"icon+tip 208 'Connected - Not Authorized'"}},
      {"Connected", [](auto& s) { s.Connection(Connected); }, {"icon+tip 254 'Connected - Not Authorized'"}},
      {"not monitored", [](auto& s) { s.Monitored(false); }, {"icon+tip 254 'Connected - Not Authorized'"}},
      {"Updated: the notice, then icon and tip from the unchanged flags",
       [](auto& s) { s.Connection(Updated); },
       {"balloon off", std::string("balloon 'Application Update' '") + kUpdateText + "'",
        "icon+tip 254 'Connected - Not Authorized'"}},
      {"unknown state 9", [](auto& s) { s.Connection(9); }, {"icon+tip 254 'Connected - Not Authorized'"}},
      {"recording kind 8 is ignored", [](auto& s) { s.Recording(8); }, {}},
      {"recording kind 0xffffffff is ignored", [](auto& s) { s.Recording(0xffffffffu); }, {}},
      {"the updated event", [](auto& s) { s.Updated(); },
       {"balloon off", std::string("balloon 'Application Update' '") + kUpdateText + "'"}},
      {"a notification", [](auto& s) { s.Notify("Your recording was saved."); },
       {"balloon off", "balloon 'Calyra' 'Your recording was saved.'"}},
  });
  ExpectAllShellCallsOnThisThread();
}

TEST(TrayFrame, RecordingKindsAndConnectionReachTheCommentsWindow) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  CMainDlg& dlg = h.frame->CommentsDialog();
  h.service.Connection(vesk::model::connection::Connected);
  h.service.Connection(vesk::model::connection::Authorized);
  ASSERT_TRUE(h.Settle());
  EXPECT_TRUE(dlg.m_bServiceReady);
  h.service.Recording(2);
  ASSERT_TRUE(h.Settle());
  EXPECT_TRUE(dlg.m_bRecording);
  EXPECT_TRUE(h.frame->Status().recording);
  EXPECT_TRUE(h.ControlShown(IDC_COMMENT));
  EXPECT_TRUE(h.ControlShown(IDC_STOP));
  h.service.Recording(3);
  ASSERT_TRUE(h.Settle());
  EXPECT_TRUE(dlg.m_bPaused);
  h.service.Recording(4);
  ASSERT_TRUE(h.Settle());
  EXPECT_FALSE(dlg.m_bPaused);
  // While recording, the connection hides and shows box and button itself.
  h.service.Connection(vesk::model::connection::NotAuthorized);
  ASSERT_TRUE(h.Settle());
  EXPECT_FALSE(dlg.m_bServiceReady);
  EXPECT_FALSE(h.ControlShown(IDC_COMMENT));
  EXPECT_FALSE(h.ControlShown(IDC_START_SUBMIT));
  h.service.Connection(vesk::model::connection::Authorized);
  ASSERT_TRUE(h.Settle());
  EXPECT_TRUE(h.ControlShown(IDC_COMMENT));
  EXPECT_TRUE(h.ControlShown(IDC_START_SUBMIT));
  h.service.Recording(7);
  ASSERT_TRUE(h.Settle());
  EXPECT_FALSE(dlg.m_bRecording);
  EXPECT_FALSE(h.frame->Status().recording);
  EXPECT_FALSE(h.ControlShown(IDC_COMMENT));
}

// A profile event reaches the comments window: its recording controls follow
// allowRecordingControl at once, and allowComments decides the box of the next recording.
TEST(TrayFrame, AProfileEventReshapesTheCommentsWindow) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  const auto profile = [&](bool recordingControl, bool comments) {
    h.service.SetProfile(recordingControl, comments, true);
    h.service.SettingsChanged();
    return h.Settle();
  };
  h.service.Connection(vesk::model::connection::Connected);
  h.service.Connection(vesk::model::connection::Authorized);
  ASSERT_TRUE(h.Settle());
  ASSERT_TRUE(h.ControlShown(IDC_START_SUBMIT));
  ASSERT_TRUE(profile(false, false));
  EXPECT_FALSE(h.ControlShown(IDC_START_SUBMIT)) << "idle: Start goes at once";
  h.service.Recording(1);
  ASSERT_TRUE(h.Settle());
  EXPECT_FALSE(h.ControlShown(IDC_STOP));
  EXPECT_FALSE(h.ControlShown(IDC_COMMENT)) << "comments are not allowed";
  ASSERT_TRUE(profile(true, true));
  EXPECT_TRUE(h.ControlShown(IDC_STOP));
  EXPECT_TRUE(h.ControlShown(IDC_PAUSE_RESUME));
  EXPECT_FALSE(h.ControlShown(IDC_COMMENT)) << "a profile change leaves the box alone";
  h.service.Recording(0);
  h.service.Recording(2);
  ASSERT_TRUE(h.Settle());
  EXPECT_TRUE(h.ControlShown(IDC_COMMENT)) << "the next recording has it";
}

TEST(TrayFrame, UploadProgressAbove100CountsAsDoneAndTakesEffectInOrder) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  h.service.Upload(40);
  ASSERT_TRUE(h.Settle());
  EXPECT_TRUE(h.ControlShown(IDC_UPLOADING));
  EXPECT_FALSE(h.ControlShown(IDC_UPLOADED));
  h.service.Upload(250);
  ASSERT_TRUE(h.Settle());
  EXPECT_FALSE(h.ControlShown(IDC_UPLOADING)) << "250 must arrive as 100";
  EXPECT_TRUE(h.ControlShown(IDC_UPLOADED));

  // Recording stop then upload 100, raised back to back: the upload never overtakes the stop,
  // so the comment box is not brought back for a recording that has ended.
  h.service.Recording(1);
  h.service.Upload(30);
  ASSERT_TRUE(h.Settle());
  ASSERT_FALSE(h.ControlShown(IDC_COMMENT));
  h.service.OnEventThread([&] {
    h.service.RaiseRecording(0);
    h.service.RaiseUpload(100);
  });
  ASSERT_TRUE(h.Settle());
  EXPECT_FALSE(h.frame->CommentsDialog().m_bRecording);
  EXPECT_FALSE(h.ControlShown(IDC_COMMENT));
  EXPECT_TRUE(h.ControlShown(IDC_UPLOADED));

  // The frame's own message, posted from outside, is clamped the same way.
  ::PostMessageA(h.Window(), WM_UPLOAD_PROGRESS, 20, 0);
  ASSERT_TRUE(h.Settle());
  EXPECT_TRUE(h.ControlShown(IDC_UPLOADING));
  ::PostMessageA(h.Window(), WM_UPLOAD_PROGRESS, 1000, 0);
  ASSERT_TRUE(h.Settle());
  EXPECT_FALSE(h.ControlShown(IDC_UPLOADING));
}

TEST(TrayFrame, BalloonsTakeDownTheLastOneAndAreCutToTheirFields) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  const std::string text300(300, 'n');
  const size_t before = EdgeLog::Get().ShellCalls().size();
  h.service.Notify(text300);
  ASSERT_TRUE(h.Settle());
  auto calls = EdgeLog::Get().ShellCalls();
  ASSERT_EQ(calls.size(), before + 2);
  const traytest::ShellCall& off = calls[before];
  const traytest::ShellCall& on = calls[before + 1];
  EXPECT_EQ(off.message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(off.flags, static_cast<UINT>(NIF_INFO));
  EXPECT_EQ(off.info, "");
  EXPECT_EQ(on.message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(on.flags, static_cast<UINT>(NIF_INFO | NIF_REALTIME));
  EXPECT_EQ(on.info, std::string(255, 'n'));
  EXPECT_EQ(on.title, "Calyra");
  EXPECT_EQ(on.timeout, 5000u);
  EXPECT_EQ(on.infoFlags, static_cast<DWORD>(NIIF_INFO | NIIF_NOSOUND));
  EXPECT_EQ(on.infoFlags, 0x11u);
  // Icon and tooltip untouched by a balloon.
  EXPECT_EQ(on.tip, "Not Connected");

  const size_t titled = EdgeLog::Get().ShellCalls().size();
  h.frame->ShowBalloon("short", std::string(80, 'T').c_str());
  calls = EdgeLog::Get().ShellCalls();
  ASSERT_EQ(calls.size(), titled + 2);
  EXPECT_EQ(calls[titled + 1].title, std::string(63, 'T'));
  EXPECT_EQ(calls[titled + 1].info, "short");

  // A tooltip longer than the field keeps 127 characters.
  h.frame->SetIconAndTip(IDI_STATUS_CONNECTED, std::string(200, 'x').c_str());
  EXPECT_EQ(EdgeLog::Get().ShellCalls().back().tip, std::string(127, 'x'));
}

TEST(TrayFrame, InstallIconOnAnInstalledIconChangesNothing) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  const size_t before = EdgeLog::Get().ShellCalls().size();
  EXPECT_TRUE(h.frame->InstallIcon("other", nullptr, 7));
  EXPECT_EQ(EdgeLog::Get().ShellCalls().size(), before);
  EXPECT_EQ(h.frame->m_nid.uID, static_cast<UINT>(IDR_TRAYMENU));
}

TEST(TrayFrame, TheProfileRemovesAndReAddsTheIconWithTheCurrentStatus) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  using namespace vesk::model::connection;
  RunSteps(h, {
      {"Connected", [](auto& s) { s.Connection(Connected); }, {"icon+tip 254 'Connected - Not Authorized'"}},
      {"profile without the icon",
       [](auto& s) {
         s.SetProfile(false, true, false);
         s.SettingsChanged();
       },
       {"delete"}},
      {"while removed, status changes are dropped", [](auto& s) { s.Connection(Authorized); }, {}},
      {"and so are notices", [](auto& s) { s.Notify("nobody sees this"); }, {}},
      {"a second profile without the icon", [](auto& s) { s.SettingsChanged(); }, {}},
      {"profile with the icon",
       [](auto& s) {
         s.SetProfile(true, true, true);
         s.SettingsChanged();
       },
       {"add 208 'Not Connected'", "icon+tip 210 'Connected'"}},
      {"an unchanged profile refreshes icon and tip",
       [](auto& s) { s.SettingsChanged(); },
       {"icon+tip 210 'Connected'"}},
  });
  EXPECT_TRUE(h.frame->CommentsDialog().m_profile.showTrayIcon);
  // The delete names the icon the add made.
  for (const auto& call : EdgeLog::Get().ShellCalls()) {
    EXPECT_EQ(call.window, h.Window());
    EXPECT_EQ(call.id, static_cast<UINT>(IDR_TRAYMENU));
  }
}

TEST(TrayFrame, WithoutTheIconAtStartALaterProfileAddsItWithTheCurrentStatus) {
  FrameHarness h;
  h.service.SetProfile(true, true, false);
  ASSERT_TRUE(h.Create());
  EXPECT_TRUE(EdgeLog::Get().ShellCalls().empty());
  // No retry timer either: nothing is added while the profile says no.
  EXPECT_FALSE(wintest::PumpUntil([] { return !EdgeLog::Get().ShellCalls().empty(); }, 1500));
  h.service.Connection(vesk::model::connection::Connected);
  h.service.Connection(vesk::model::connection::Authorized);
  h.service.Monitored(true);
  h.service.SetProfile(true, true, true);
  h.service.SettingsChanged();
  ASSERT_TRUE(h.Settle());
  EXPECT_EQ(EdgeLog::Get().Described(),
            (Lines{"add 208 'Not Connected'", "icon+tip 255 'Connected - Monitored'"}));
}

TEST(TrayFrame, AFailedFirstAddIsRetriedEverySecondWithTheTitleAsTooltip) {
  FrameHarness h;
  EdgeLog::Get().RefuseAdds(2);
  ASSERT_TRUE(h.Create());
  EXPECT_FALSE(h.frame->m_bInstalled);
  // Status changes are dropped silently meanwhile.
  h.service.Connection(vesk::model::connection::Connected);
  ASSERT_TRUE(h.Settle());
  ASSERT_TRUE(wintest::PumpUntil([] { return EdgeLog::Get().ShellCalls().size() >= 3; }, 5000));
  EXPECT_EQ(EdgeLog::Get().Described(),
            (Lines{"add 208 'Not Connected'", "add 208 'Sivrel'", "add 208 'Sivrel'"}));
  EXPECT_TRUE(h.frame->m_bInstalled);
  // Once in, the timer is gone.
  EXPECT_FALSE(wintest::PumpUntil([] { return EdgeLog::Get().ShellCalls().size() > 3; }, 1500));
}

// Mended: a pending retry used to add the icon that a profile had removed meanwhile.
TEST(TrayFrame, AProfileWithoutTheIconStopsThePendingRetry) {
  FrameHarness h;
  EdgeLog::Get().RefuseAdds(1);
  ASSERT_TRUE(h.Create());
  h.service.SetProfile(true, true, false);
  h.service.SettingsChanged();
  ASSERT_TRUE(h.Settle());
  EXPECT_FALSE(wintest::PumpUntil([] { return EdgeLog::Get().ShellCalls().size() > 1; }, 2500))
      << "the retry timer added the icon the profile removed";
  EXPECT_FALSE(h.frame->m_bInstalled);
}

// Deliberate: a new taskbar (the shell restarted) gets the icon back with the current status.
TEST(TrayFrame, ANewTaskbarGetsTheIconBackWithTheCurrentStatus) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  h.service.Connection(vesk::model::connection::Connected);
  h.service.Connection(vesk::model::connection::Authorized);
  ASSERT_TRUE(h.Settle());
  // The shell restarts: its new taskbar has none of the old icons.
  NOTIFYICONDATAA lost = h.frame->m_nid;
  ASSERT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &lost));
  const size_t before = EdgeLog::Get().ShellCalls().size();
  const UINT taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
  ::SendMessageA(h.Window(), taskbarCreated, 0, 0);
  EXPECT_EQ(CallsSince(before), (Lines{"add 210 'Connected'"}));
  EXPECT_TRUE(h.frame->m_bInstalled);

  // Not while the profile keeps the icon away.
  h.service.SetProfile(true, true, false);
  h.service.SettingsChanged();
  ASSERT_TRUE(h.Settle());
  const size_t removed = EdgeLog::Get().ShellCalls().size();
  ::SendMessageA(h.Window(), taskbarCreated, 0, 0);
  EXPECT_EQ(CallsSince(removed), Lines{});
}

TEST(TrayFrame, TheVersionBalloonEndsWithTheRightsLineAndNeedsTheIcon) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  const size_t before = EdgeLog::Get().ShellCalls().size();
  h.Command(ID_TRAY_VERSION);
  EXPECT_EQ(CallsSince(before),
            (Lines{"balloon off",
                   "balloon 'Calyra' 'Version: 5.4.0.77\nCopyright (c) Calyra. All rights reserved.'"}));
  h.service.version = "";
  const size_t empty = EdgeLog::Get().ShellCalls().size();
  h.Command(ID_TRAY_VERSION);
  EXPECT_EQ(CallsSince(empty),
            (Lines{"balloon off", "balloon 'Calyra' 'Version: \nCopyright (c) Calyra. All rights reserved.'"}));
  // "About.." shows a balloon, never the About box; without the icon it shows nothing.
  EXPECT_EQ(::FindWindowA("#32770", "About"), nullptr);
  h.service.SetProfile(true, true, false);
  h.service.SettingsChanged();
  ASSERT_TRUE(h.Settle());
  const size_t gone = EdgeLog::Get().ShellCalls().size();
  h.Command(ID_TRAY_VERSION);
  EXPECT_EQ(CallsSince(gone), Lines{});
}

TEST(TrayFrame, DestructionStopsAndReleasesTheServiceThenDeletesTheIcon) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  ::DestroyWindow(h.Window());
  // The window is gone but the object lives on until start-up lets go of it: events still
  // raised by the service now are dropped.
  h.service.Connection(vesk::model::connection::Connected);
  h.service.Notify("after the window");
  wintest::PumpIdle(100);
  EXPECT_EQ(EdgeLog::Get().Described(), (Lines{"add 208 'Not Connected'"}));
  h.frame.reset();
  EXPECT_EQ(EdgeLog::Get().Described(), (Lines{"add 208 'Not Connected'", "delete"}));
  EXPECT_EQ(h.service.Operations(), (Lines{"Start", "Stop", "Release"}));
}

}  // namespace
