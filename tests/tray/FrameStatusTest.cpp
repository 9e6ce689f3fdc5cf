// Status presentation of the real frame under Wine, driven by the fake service from its own
// event thread: what the notification area is told after each event and in which order
// (expected-sequence tables), balloons and their fields, the profile's icon removal and
// re-adding, the retry timer, the new-taskbar re-add, and what the comments window draws. Which
// event shows what is the model's rule, tabled in tests/client/ClientModelTest.cpp; here the
// real shell calls, controls and timers.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "TrayTestSupport.h"
#include "comments/CommentsText.h"
#include "res/resource.h"
#include "tools/WinTestSupport.h"
#include "tray/WindowsVersion.h"

namespace {

using traytest::FrameHarness;
using traytest::Lines;

const char kUpdateText[] =
    "Application was updated to the latest version. Please login again in your Tamlo account.";

struct Step {
  const char* what;
  std::function<void(sivrel_test::FakeRecorderService&)> raise;
  Lines expected;
};

// After each step, the shell calls it made.
void RunSteps(FrameHarness& h, const std::vector<Step>& steps) {
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    const size_t before = h.edges.ShellCallCount();
    step.raise(h.service);
    ASSERT_TRUE(h.Settle());
    EXPECT_EQ(h.edges.DescribedSince(before), step.expected);
  }
}

// After each step, the comments window as drawn.
void RunLooks(FrameHarness& h, const std::vector<Step>& steps) {
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.raise(h.service);
    ASSERT_TRUE(h.Settle());
    EXPECT_EQ(h.Look(), step.expected.at(0));
  }
}

void Profile(sivrel_test::FakeRecorderService& s, bool control, bool comments, bool icon) {
  s.SetProfile(control, comments, icon);
  s.SettingsChanged();
}

void ExpectAllShellCallsOnThisThread(const FrameHarness& h) {
  const DWORD ui = ::GetCurrentThreadId();
  for (const traytest::ShellCall& call : h.edges.ShellCalls()) {
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
  const auto calls = h.edges.ShellCalls();
  ASSERT_EQ(calls.size(), 1u);
  const traytest::ShellCall& add = calls[0];
  EXPECT_EQ(traytest::Describe(add), "add 208 'Not Connected'");
  EXPECT_EQ(add.flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(add.cbSize, sizeof(NOTIFYICONDATAA));
  EXPECT_EQ(add.cbSize, 528u) << "x64 record with every member";
  EXPECT_EQ(add.window, h.Window());
  EXPECT_EQ(add.id, static_cast<UINT>(IDR_TRAYMENU));
  EXPECT_EQ(add.callbackMessage, ::RegisterWindowMessageA("WM_TRAYICON"));
  // The service is started last, after the handlers are in place.
  EXPECT_EQ(h.service.Operations(), (Lines{"Start"}));
  EXPECT_FALSE(::IsWindowVisible(h.Window()));
  EXPECT_FALSE(::IsWindowVisible(h.Comments()));
  EXPECT_EQ(h.Look(), "idle start+ pause- stop- what+ comment- uploading- uploaded-");
}

TEST(TrayFrame, IconAndTooltipFollowTheStatusEventsInTheOrderRaised) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  using namespace vesk::model::connection;
  RunSteps(h, {
      {"Connected", [](auto& s) { s.Connection(Connected); }, {"icon+tip 254 'Connected - Not Authorized'"}},
      {"Authorized", [](auto& s) { s.Connection(Authorized); }, {"icon+tip 210 'Connected'"}},
      {"monitored", [](auto& s) { s.Monitored(true); }, {"icon+tip 255 'Connected - Monitored'"}},
      {"recording kind 1", [](auto& s) { s.Recording(1); }, {"icon+tip 207 'Recording'"}},
      // Events whose effects leave the icon alone tell the shell nothing.
      {"second running kind 2", [](auto& s) { s.Recording(2); }, {}},
      {"paused", [](auto& s) { s.Recording(3); }, {}},
      {"resumed", [](auto& s) { s.Recording(4); }, {}},
      {"Disconnected while recording", [](auto& s) { s.Connection(Disconnected); }, {"icon+tip 207 'Not Connected'"}},
      {"recording stops (kind 6)", [](auto& s) { s.Recording(6); }, {"icon+tip 208 'Not Connected'"}},
      {"Updated: the notice, then icon and tip from the unchanged flags",
       [](auto& s) { s.Connection(Updated); },
       {"balloon off", std::string("balloon 'Application Update' '") + kUpdateText + "'",
        "icon+tip 208 'Not Connected'"}},
      {"the updated event", [](auto& s) { s.Updated(); },
       {"balloon off", std::string("balloon 'Application Update' '") + kUpdateText + "'"}},
      {"a notification", [](auto& s) { s.Notify("Your recording was saved."); },
       {"balloon off", "balloon 'Calyra' 'Your recording was saved.'"}},
  });
  ExpectAllShellCallsOnThisThread(h);
}

TEST(TrayFrame, RecordingKindsAndConnectionReachTheCommentsWindow) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  using namespace vesk::model::connection;
  RunLooks(h, {
      {"ready", [](auto& s) { s.Connection(Connected); s.Connection(Authorized); },
       {"idle start+ pause- stop- what+ comment- uploading- uploaded-"}},
      {"recording kind 2", [](auto& s) { s.Recording(2); },
       {"recording submit+ pause+ stop+ what- comment+ uploading- uploaded-"}},
      {"paused", [](auto& s) { s.Recording(3); },
       {"paused submit+ resume+ stop+ what- comment+ uploading- uploaded-"}},
      {"resumed", [](auto& s) { s.Recording(4); },
       {"recording submit+ pause+ stop+ what- comment+ uploading- uploaded-"}},
      // While recording, the connection hides and shows box and button.
      {"NotAuthorized", [](auto& s) { s.Connection(NotAuthorized); },
       {"recording submit- pause+ stop+ what- comment- uploading- uploaded-"}},
      {"Authorized", [](auto& s) { s.Connection(Authorized); },
       {"recording submit+ pause+ stop+ what- comment+ uploading- uploaded-"}},
      {"recording kind 7 stops", [](auto& s) { s.Recording(7); },
       {"idle start+ pause- stop- what+ comment- uploading- uploaded-"}},
  });
}

// A profile event reaches the comments window: its recording controls follow
// allowRecordingControl at once, and allowComments decides the box of the next recording.
TEST(TrayFrame, AProfileEventReshapesTheCommentsWindow) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  using namespace vesk::model::connection;
  RunLooks(h, {
      {"ready", [](auto& s) { s.Connection(Connected); s.Connection(Authorized); },
       {"idle start+ pause- stop- what+ comment- uploading- uploaded-"}},
      {"no recording control, no comments: Start goes at once",
       [](auto& s) { Profile(s, false, false, true); },
       {"idle start- pause- stop- what+ comment- uploading- uploaded-"}},
      {"recording", [](auto& s) { s.Recording(1); },
       {"recording submit- pause- stop- what- comment- uploading- uploaded-"}},
      {"both allowed: the buttons come, the box is left alone",
       [](auto& s) { Profile(s, true, true, true); },
       {"recording submit- pause+ stop+ what- comment- uploading- uploaded-"}},
      {"the next recording has the box", [](auto& s) { s.Recording(0); s.Recording(2); },
       {"recording submit+ pause+ stop+ what- comment+ uploading- uploaded-"}},
  });
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
  EXPECT_FALSE(h.ControlShown(IDC_STOP)) << "the recording has ended";
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

// The window's clicks reach the model through the frame, and the frame's two timers (the check
// mark's and the uploaded picture's) really fire: the one real three-second wait of the suite.
TEST(TrayFrame, ClicksTakeTheRoadThroughTheFrameAndTheWindowsTimersFire) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  h.service.Connection(vesk::model::connection::Connected);
  h.service.Connection(vesk::model::connection::Authorized);
  h.service.Recording(1);
  h.Command(ID_TRAY_OPEN);
  ASSERT_TRUE(h.Settle());
  const auto click = [&](int id) {
    ::SendMessageA(h.Control(id), BM_CLICK, 0, 0);
    return h.Settle();
  };
  ::SetWindowTextA(h.Control(IDC_COMMENT), "first comment");
  ASSERT_TRUE(click(IDC_START_SUBMIT));
  EXPECT_EQ(h.service.ArgumentsOf("AddComment"), (Lines{"first comment"}));
  EXPECT_EQ(wintest::WindowText(h.Control(IDC_COMMENT)), comments::kHint);
  EXPECT_EQ(h.Look(), "recording submitted+ pause+ stop+ what- comment+ uploading- uploaded-");
  ASSERT_TRUE(click(IDC_START_SUBMIT));
  EXPECT_EQ(h.service.CountOf("AddComment"), 1) << "the check mark posts nothing";
  ASSERT_TRUE(click(IDC_PAUSE_RESUME));
  EXPECT_EQ(h.service.CountOf("PauseRecording"), 1);
  EXPECT_EQ(h.Look(), "paused submitted+ resume+ stop+ what- comment+ uploading- uploaded-");
  h.service.Upload(100);
  ASSERT_TRUE(h.Settle());
  EXPECT_EQ(h.Look(), "paused submitted+ resume- stop- what- comment+ uploading- uploaded+");
  const std::string afterTimers =
      "paused submit+ resume+ stop+ what- comment+ uploading- uploaded-";
  EXPECT_TRUE(wintest::PumpUntil([&] { return h.Look() == afterTimers; }, 8000)) << h.Look();
}

TEST(TrayFrame, BalloonsTakeDownTheLastOneAndAreCutToTheirFields) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  const std::string text300(300, 'n');
  const size_t before = h.edges.ShellCallCount();
  h.service.Notify(text300);
  ASSERT_TRUE(h.Settle());
  auto calls = h.edges.ShellCalls();
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

  // Titles and tooltips of the tray mix-in's callers are cut too.
  const size_t titled = h.edges.ShellCallCount();
  h.frame->ShowBalloon("short", std::string(80, 'T').c_str());
  calls = h.edges.ShellCalls();
  ASSERT_EQ(calls.size(), titled + 2);
  EXPECT_EQ(calls[titled + 1].title, std::string(63, 'T'));
  EXPECT_EQ(calls[titled + 1].info, "short");
  h.frame->SetIconAndTip(IDI_STATUS_CONNECTED, std::string(200, 'x').c_str());
  EXPECT_EQ(h.edges.ShellCalls().back().tip, std::string(127, 'x'));
  // An add while the icon is in changes nothing.
  const size_t installed = h.edges.ShellCallCount();
  EXPECT_TRUE(h.frame->InstallIcon("other", nullptr, 7));
  EXPECT_EQ(h.edges.ShellCallCount(), installed);
  h.service.Monitored(true);
  ASSERT_TRUE(h.Settle());
  EXPECT_EQ(h.edges.ShellCalls().back().id, static_cast<UINT>(IDR_TRAYMENU));
}

TEST(TrayFrame, TheProfileRemovesAndReAddsTheIconWithTheCurrentStatus) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  using namespace vesk::model::connection;
  RunSteps(h, {
      {"Connected", [](auto& s) { s.Connection(Connected); }, {"icon+tip 254 'Connected - Not Authorized'"}},
      {"profile without the icon", [](auto& s) { Profile(s, false, true, false); }, {"delete"}},
      {"while removed, status changes are dropped", [](auto& s) { s.Connection(Authorized); }, {}},
      {"and so are notices", [](auto& s) { s.Notify("nobody sees this"); }, {}},
      {"a second profile without the icon", [](auto& s) { s.SettingsChanged(); }, {}},
      {"profile with the icon", [](auto& s) { Profile(s, true, true, true); },
       {"add 208 'Not Connected'", "icon+tip 210 'Connected'"}},
      {"an unchanged profile refreshes icon and tip", [](auto& s) { s.SettingsChanged(); },
       {"icon+tip 210 'Connected'"}},
  });
  // The delete names the icon the add made.
  for (const auto& call : h.edges.ShellCalls()) {
    EXPECT_EQ(call.window, h.Window());
    EXPECT_EQ(call.id, static_cast<UINT>(IDR_TRAYMENU));
  }
}

TEST(TrayFrame, WithoutTheIconAtStartALaterProfileAddsItWithTheCurrentStatus) {
  FrameHarness h;
  h.service.SetProfile(true, true, false);
  ASSERT_TRUE(h.Create());
  EXPECT_TRUE(h.edges.ShellCalls().empty());
  // No retry timer either: nothing is added while the profile says no.
  EXPECT_FALSE(wintest::PumpUntil([&] { return h.edges.ShellCallCount() > 0; }, 1500));
  h.service.Connection(vesk::model::connection::Connected);
  h.service.Connection(vesk::model::connection::Authorized);
  h.service.Monitored(true);
  Profile(h.service, true, true, true);
  ASSERT_TRUE(h.Settle());
  EXPECT_EQ(h.edges.Described(),
            (Lines{"add 208 'Not Connected'", "icon+tip 255 'Connected - Monitored'"}));
}

TEST(TrayFrame, AFailedFirstAddIsRetriedEverySecondWithTheTitleAsTooltip) {
  FrameHarness h;
  h.edges.RefuseAdds(2);
  ASSERT_TRUE(h.Create());
  // Status changes are dropped silently meanwhile.
  h.service.Connection(vesk::model::connection::Connected);
  ASSERT_TRUE(h.Settle());
  ASSERT_TRUE(wintest::PumpUntil([&] { return h.edges.ShellCallCount() >= 3; }, 5000));
  EXPECT_EQ(h.edges.Described(),
            (Lines{"add 208 'Not Connected'", "add 208 'Sivrel'", "add 208 'Sivrel'"}));
  // Once in, the timer is gone, and status changes reach the icon.
  EXPECT_FALSE(wintest::PumpUntil([&] { return h.edges.ShellCallCount() > 3; }, 1500));
  h.service.Connection(vesk::model::connection::Authorized);
  ASSERT_TRUE(h.Settle());
  EXPECT_EQ(h.edges.DescribedSince(3), (Lines{"icon+tip 210 'Connected'"}));
}

// Mended: a pending retry used to add the icon that a profile had removed meanwhile.
TEST(TrayFrame, AProfileWithoutTheIconStopsThePendingRetry) {
  FrameHarness h;
  h.edges.RefuseAdds(1);
  ASSERT_TRUE(h.Create());
  Profile(h.service, true, true, false);
  ASSERT_TRUE(h.Settle());
  EXPECT_FALSE(wintest::PumpUntil([&] { return h.edges.ShellCallCount() > 1; }, 2500))
      << "the retry timer added the icon the profile removed";
}

// Deliberate: a new taskbar (the shell restarted) gets the icon back with the current status.
TEST(TrayFrame, ANewTaskbarGetsTheIconBackWithTheCurrentStatus) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  h.service.Connection(vesk::model::connection::Connected);
  h.service.Connection(vesk::model::connection::Authorized);
  ASSERT_TRUE(h.Settle());
  // The shell restarts: its new taskbar has none of the old icons.
  NOTIFYICONDATAA lost{};
  lost.cbSize = sizeof lost;
  lost.hWnd = h.Window();
  lost.uID = IDR_TRAYMENU;
  ASSERT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &lost));
  const size_t before = h.edges.ShellCallCount();
  const UINT taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
  ::SendMessageA(h.Window(), taskbarCreated, 0, 0);
  EXPECT_EQ(h.edges.DescribedSince(before), (Lines{"add 210 'Connected'"}));
  h.service.Monitored(true);
  ASSERT_TRUE(h.Settle());
  EXPECT_EQ(h.edges.DescribedSince(before + 1), (Lines{"icon+tip 255 'Connected - Monitored'"}));

  // Not while the profile keeps the icon away.
  Profile(h.service, true, true, false);
  ASSERT_TRUE(h.Settle());
  const size_t removed = h.edges.ShellCallCount();
  ::SendMessageA(h.Window(), taskbarCreated, 0, 0);
  EXPECT_EQ(h.edges.DescribedSince(removed), Lines{});
}

TEST(TrayFrame, TheVersionBalloonEndsWithTheRightsLineAndNeedsTheIcon) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  const size_t before = h.edges.ShellCallCount();
  h.Command(ID_TRAY_VERSION);
  EXPECT_EQ(h.edges.DescribedSince(before),
            (Lines{"balloon off",
                   "balloon 'Calyra' 'Version: 5.4.0.77\nCopyright (c) Calyra. All rights reserved.'"}));
  h.service.version = "";
  const size_t empty = h.edges.ShellCallCount();
  h.Command(ID_TRAY_VERSION);
  EXPECT_EQ(h.edges.DescribedSince(empty),
            (Lines{"balloon off", "balloon 'Calyra' 'Version: \nCopyright (c) Calyra. All rights reserved.'"}));
  // "About.." shows a balloon, never the About box; without the icon it shows nothing.
  EXPECT_EQ(::FindWindowA("#32770", "About"), nullptr);
  Profile(h.service, true, true, false);
  ASSERT_TRUE(h.Settle());
  const size_t gone = h.edges.ShellCallCount();
  h.Command(ID_TRAY_VERSION);
  EXPECT_EQ(h.edges.DescribedSince(gone), Lines{});
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
  EXPECT_EQ(h.edges.Described(), (Lines{"add 208 'Not Connected'"}));
  h.frame.reset();
  EXPECT_EQ(h.edges.Described(), (Lines{"add 208 'Not Connected'", "delete"}));
  EXPECT_EQ(h.service.Operations(), (Lines{"Start", "Stop", "Release"}));
}

}  // namespace
