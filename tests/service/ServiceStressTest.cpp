// The adapter under load: events from several service threads while the user-interface side
// installs handlers, starts, stops, restarts and toggles the auto-record cycle. Meant for TSan,
// which reports any unsynchronised access; the checks here catch lost or late events.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "tools/FakeRecorderService.h"
#include "service/ServiceControl.h"
#include "service/TestEdge.h"

using sivrel_test::FakeRecorderService;
using sivrel_test::TestEdge;

TEST(ServiceStress, EventsFromManyThreadsWhileTheUserInterfaceSideWorks) {
  FakeRecorderService service;
  TestEdge testEdge(&service);
  vesk::ServiceEdge edge = testEdge.Edge();
  // A cycle that turns over every millisecond, on the real signal.
  edge.waitFor = [](void*, vesk::Signal& signal, std::uint32_t) { return signal.WaitFor(1); };
  auto control = std::make_unique<vesk::ServiceControl>(edge);

  std::atomic<long> handled{0};
  std::atomic<bool> released{false};
  std::atomic<long> late{0};
  auto count = [&] {
    ++handled;
    if (released) ++late;
  };
  service.StartStorm(4);  // events already flowing while the handlers go in
  std::thread settingsWriter([&] {
    for (int i = 0; i < 20000 && !released; ++i) service.settings.allowComments = (i % 2) == 0;
  });

  for (int round = 0; round < 100; ++round) {
    control->SetRecordingStateHandler([&](const vesk::model::media::RecordingState& s) {
      if (s.kind <= 8) count();
    });
    control->SetUploadProgressHandler([&](unsigned char p) { if (p <= 100) count(); });
    control->SetConnectionStateHandler([&](const vesk::model::connection::State&) { count(); });
    control->SetShutdownHandler([&] { count(); });
    control->SetMonitoredHandler([&](bool) { count(); });
    control->SetProfileHandler([&](const vesk::ScreenRecorderProfile&) { count(); });
    control->SetUpdatedHandler([&] { count(); });
    control->SetNotificationHandler([&](const std::string& text) { if (!text.empty()) count(); });
    control->CurrentProfile();
    control->Start();
    control->StartAutoRecord();
    control->Pause();
    control->Resume();
    if (round % 3 == 0) {
      control->Stop();  // restart, with the worker running
      control->Start();
    }
    control->StartAutoRecord();  // toggling on again ends the old cycle first
    control->StopAutoRecord();
    control->StartRecording();
    control->StopRecording();
    control->AddComment("comment");
    control->GetVersion();
    if (round % 2 == 0) control->StartAutoRecord();  // some rounds end with a cycle running
    control->Stop();
  }
  control->StartAutoRecord();
  control.reset();  // stops, ends the worker, releases the service (which ends the storm)
  released = true;
  settingsWriter.join();

  EXPECT_GT(service.StormEvents(), 0);
  EXPECT_GT(handled.load(), 0);
  EXPECT_EQ(late.load(), 0);
  EXPECT_TRUE(service.Released());
  EXPECT_EQ(service.CountOf("Release"), 1);
}
