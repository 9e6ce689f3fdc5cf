// vesk::ServiceControl against a fake service: construction, lifecycle, recording ids, forwarding
// and the order of destruction.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "tools/FakeRecorderService.h"
#include "service/RecordingId.h"
#include "service/ServiceControl.h"
#include "service/TestEdge.h"

using sivrel_test::FakeRecorderService;
using sivrel_test::TestEdge;
using Names = std::vector<std::string>;

namespace {

struct Adapter {
  FakeRecorderService service;
  TestEdge edge{&service};
  std::unique_ptr<vesk::ServiceControl> control{new vesk::ServiceControl(edge.Edge())};
};

}  // namespace

TEST(ServiceControl, ConstructionTakesSettingsThenSubscribesInOrderWithoutStarting) {
  Adapter a;
  EXPECT_TRUE(a.control->HasService());
  EXPECT_EQ(a.service.CallNames(),
            (Names{"GetSettings", "SubscribeConnectionState", "SubscribeRecordingState",
                   "SubscribeUploadProgress", "SubscribeShutdown", "SubscribeMonitored",
                   "SubscribeSettingsChanged", "SubscribeUpdated", "SubscribeNotification"}));
  a.control.reset();
  // Destruction stops the service, then releases it.
  const Names names = a.service.CallNames();
  EXPECT_EQ(Names(names.end() - 2, names.end()), (Names{"Stop", "Release"}));
}

TEST(ServiceControl, StartStopPauseResumeFollowTheStartedFlag) {
  Adapter a;
  a.control->Pause();   // before the first Start: dropped
  a.control->Resume();
  a.control->Stop();    // not started, still reaches the service
  a.control->Start();
  a.control->Start();   // second Start without Stop: dropped
  a.control->Pause();
  a.control->Resume();
  a.control->Stop();
  a.control->Pause();   // after Stop: dropped
  a.control->Resume();
  a.control->Stop();    // restart: Stop then Start on the same object
  a.control->Start();
  const Names all = a.service.CallNames();
  EXPECT_EQ(Names(all.begin() + 9, all.end()),
            (Names{"Stop", "Start", "PauseRecording", "ResumeRecording", "Stop", "Stop", "Start"}));
}

TEST(ServiceControl, RecordingIdsComeFromTheUtcSecondAndStopUsesTheStoredOne) {
  Adapter a;
  a.control->StopRecording();  // nothing started yet: the empty id
  a.control->StartRecording();
  a.control->StartRecording();  // same second, same id
  a.edge.AdvanceSeconds(3600 * 24 * 300 + 61);
  a.control->StopRecording();   // the clock does not touch the stored id
  a.control->StartRecording();
  a.control->StopRecording();
  a.control->StopRecording();
  EXPECT_EQ(a.service.ArgumentsOf("StartRecording"),
            (Names{"20200115T093005", "20200115T093005", "20201110T093106"}));
  EXPECT_EQ(a.service.ArgumentsOf("StopRecording"),
            (Names{"", "20200115T093005", "20201110T093106", "20201110T093106"}));
}

TEST(ServiceControl, RecordingIdIsTheBasicIsoFormOfWholeSeconds) {
  using namespace boost::posix_time;
  const ptime t(boost::gregorian::date(2020, 1, 15), hours(9) + minutes(30) + seconds(5));
  EXPECT_EQ(vesk::MakeRecordingId(t), "20200115T093005");
  EXPECT_EQ(vesk::MakeRecordingId(t + milliseconds(999)), "20200115T093005");
  EXPECT_EQ(vesk::MakeRecordingId(ptime(boost::gregorian::date(2001, 2, 3), hours(0))),
            "20010203T000000");
}

TEST(ServiceControl, RealClockGivesTheSameIdWithinOneSecond) {
  FakeRecorderService service;
  TestEdge edge(&service);
  vesk::ServiceEdge real = edge.Edge();
  real.universalTime = &vesk::RealUniversalTime;
  vesk::ServiceControl control(real);
  // Retry across a second boundary; two calls inside one second must agree.
  for (int attempt = 0; attempt < 5; ++attempt) {
    const auto before = boost::posix_time::second_clock::universal_time();
    control.StartRecording();
    control.StartRecording();
    const auto after = boost::posix_time::second_clock::universal_time();
    if (before != after) continue;
    const Names ids = service.ArgumentsOf("StartRecording");
    ASSERT_GE(ids.size(), 2u);
    EXPECT_EQ(ids[ids.size() - 1], ids[ids.size() - 2]);
    EXPECT_EQ(ids.back(), vesk::MakeRecordingId(before));
    EXPECT_EQ(ids.back().size(), 15u);
    return;
  }
  FAIL() << "never two calls within one second";
}

TEST(ServiceControl, CommentsAndTextsPassStraightThrough) {
  Adapter a;
  a.control->AddComment("first line\r\nsecond line");  // no started check
  EXPECT_EQ(a.service.ArgumentsOf("AddComment"), (Names{"first line\r\nsecond line"}));
  EXPECT_EQ(a.control->GetVersion(), "5.4.0.77");
  EXPECT_EQ(a.control->GetTextFilePath(), "C:\\users\\agent\\notes.txt");
  a.service.version = "";
  a.service.textFilePath = nullptr;  // a careless service: still an empty string
  EXPECT_EQ(a.control->GetVersion(), "");
  EXPECT_EQ(a.control->GetTextFilePath(), "");
}

TEST(ServiceControl, ForwardersDropEventsWithoutHandlerAndCallHandlersOnTheServiceThread) {
  Adapter a;
  a.service.SetProfile(true, false, true);  // asymmetric, so that the flags' order shows
  std::vector<std::string> seen;
  std::thread::id handlerThread;
  auto note = [&](const std::string& what) {
    seen.push_back(what);
    handlerThread = std::this_thread::get_id();
  };
  auto raiseAll = [&s = a.service] {
    s.RaiseRecording(2);
    s.RaiseUpload(42);
    s.RaiseConnection(vesk::model::connection::Authorized);
    s.RaiseShutdown();
    s.RaiseMonitored(true);
    s.RaiseSettingsChanged();  // no profile handler yet: nothing at all
    s.RaiseUpdated();
    s.RaiseNotification("hello");
  };
  a.service.OnEventThread(raiseAll);
  EXPECT_TRUE(seen.empty());

  const vesk::model::connection::State* connection = nullptr;
  const vesk::model::media::RecordingState* recording = nullptr;
  const std::string* notification = nullptr;
  a.control->SetRecordingStateHandler([&](const vesk::model::media::RecordingState& s) {
    recording = &s;
    note("recording " + std::to_string(s.kind));
  });
  a.control->SetUploadProgressHandler([&](unsigned char p) { note("upload " + std::to_string(p)); });
  a.control->SetConnectionStateHandler([&](const vesk::model::connection::State& s) {
    connection = &s;
    note("connection " + std::to_string(s));
  });
  a.control->SetShutdownHandler([&] { note("shutdown"); });
  a.control->SetMonitoredHandler([&](bool m) { note(m ? "monitored" : "unmonitored"); });
  a.control->SetProfileHandler([&](const vesk::ScreenRecorderProfile& p) {
    note("profile " + std::to_string(p.allowRecordingControl) + std::to_string(p.allowComments) +
         std::to_string(p.showTrayIcon));
  });
  a.control->SetUpdatedHandler([&] { note("updated"); });
  a.control->SetNotificationHandler([&](const std::string& text) {
    notification = &text;
    note("notification " + text);
  });
  const std::thread::id serviceThread = a.service.OnEventThread(raiseAll);
  EXPECT_EQ(seen, (Names{"recording 2", "upload 42", "connection 3", "shutdown", "monitored",
                         "profile 101", "updated", "notification hello"}));
  EXPECT_EQ(handlerThread, serviceThread);
  // Every kind goes through the one event sink; what arrives are its values, which the client
  // queues and keeps beyond the service's call.
  EXPECT_NE(connection, nullptr);
  EXPECT_NE(recording, nullptr);
  EXPECT_NE(notification, nullptr);
}

TEST(ServiceControl, TheSinkTakesEveryEventAsAValueOnTheServiceThread) {
  Adapter a;
  a.service.SetProfile(false, true, true);
  std::vector<std::string> seen;
  std::thread::id sinkThread;
  a.control->SetEventSink([&](const vesk::ServiceEvent& e) {
    sinkThread = std::this_thread::get_id();
    seen.push_back(std::to_string(static_cast<int>(e.kind)) + ":" + std::to_string(e.code) + ":" +
                   (e.monitored ? "m" : "") + std::to_string(e.profile.allowRecordingControl) +
                   std::to_string(e.profile.allowComments) + std::to_string(e.profile.showTrayIcon) +
                   ":" + e.text);
  });
  const std::thread::id serviceThread = a.service.OnEventThread([&s = a.service] {
    s.RaiseConnection(vesk::model::connection::Authorized);
    s.RaiseRecording(0xffffffffu);
    s.RaiseUpload(255);
    s.RaiseShutdown();
    s.RaiseMonitored(true);
    s.RaiseSettingsChanged();
    s.RaiseUpdated();
    s.RaiseNotification("text");
  });
  EXPECT_EQ(sinkThread, serviceThread);
  EXPECT_EQ(seen, (Names{"0:3:000:", "1:4294967295:000:", "2:255:000:", "3:0:000:", "4:0:m000:",
                         "5:0:011:", "6:0:000:", "7:0:000:text"}));
}

TEST(ServiceControl, ProfileIsReadFromTheSettingsAtTheMomentOfAsking) {
  Adapter a;
  a.service.SetProfile(true, false, true);
  auto profile = a.control->CurrentProfile();
  EXPECT_TRUE(profile.allowRecordingControl);
  EXPECT_FALSE(profile.allowComments);
  EXPECT_TRUE(profile.showTrayIcon);
  std::vector<vesk::ScreenRecorderProfile> delivered;
  a.control->SetProfileHandler([&](const vesk::ScreenRecorderProfile& p) { delivered.push_back(p); });
  a.service.settings.allowRecordingControl = false;
  a.service.settings.allowComments = true;
  a.service.settings.showTrayIcon = false;
  a.service.SettingsChanged();
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_FALSE(delivered[0].allowRecordingControl);
  EXPECT_TRUE(delivered[0].allowComments);
  EXPECT_FALSE(delivered[0].showTrayIcon);
  profile = a.control->CurrentProfile();
  EXPECT_FALSE(profile.allowRecordingControl);
  EXPECT_TRUE(profile.allowComments);
}

TEST(ServiceControl, ReplacedHandlerStaysAliveUntilItsRunningCallReturns) {
  Adapter a;
  struct Witness {
    explicit Witness(std::atomic<bool>* flag) : destroyed(flag) {}
    ~Witness() { *destroyed = true; }
    std::atomic<bool>* destroyed;
  };
  std::atomic<bool> destroyed{false}, entered{false}, release{false}, aliveAtEnd{false};
  auto witness = std::make_shared<Witness>(&destroyed);
  a.control->SetUpdatedHandler([witness, &entered, &release, &destroyed, &aliveAtEnd] {
    entered = true;
    while (!release) std::this_thread::yield();
    aliveAtEnd = !destroyed && witness->destroyed == &destroyed;
  });
  witness.reset();
  std::thread service([&] { a.service.RaiseUpdated(); });
  while (!entered) std::this_thread::yield();
  int replacementCalls = 0;
  a.control->SetUpdatedHandler([&] { ++replacementCalls; });  // while the old one runs
  EXPECT_FALSE(destroyed);
  release = true;
  service.join();
  EXPECT_TRUE(aliveAtEnd);
  EXPECT_TRUE(destroyed);  // gone once its call returned
  a.service.RaiseUpdated();
  EXPECT_EQ(replacementCalls, 1);
  a.control->SetUpdatedHandler(nullptr);  // an empty handler drops the event again
  a.service.RaiseUpdated();
  EXPECT_EQ(replacementCalls, 1);
}

TEST(ServiceControl, DestructionStopsThenReleasesWhileHandlersAreStillAlive) {
  FakeRecorderService service;
  TestEdge edge(&service);
  auto control = std::make_unique<vesk::ServiceControl>(edge.Edge());
  struct Witness {
    explicit Witness(FakeRecorderService* s) : service(s) {}
    ~Witness() { service->Note("handler destroyed"); }
    FakeRecorderService* service;
  };
  auto witness = std::make_shared<Witness>(&service);
  std::string heardDuringRelease;
  control->SetNotificationHandler(
      [witness, &heardDuringRelease](const std::string& text) { heardDuringRelease = text; });
  witness.reset();
  // A service may still deliver an event while it is being released; the handler must be there.
  service.duringCall = [&](const std::string& call) {
    if (call == "Release") service.RaiseNotification("last words");
  };
  control->Start();
  control.reset();
  const Names names = service.CallNames();
  EXPECT_EQ(Names(names.begin() + 9, names.end()),
            (Names{"Start", "Stop", "Release", "handler destroyed"}));
  EXPECT_EQ(heardDuringRelease, "last words");
}

TEST(ServiceControl, WithoutAServiceEveryOperationIsHarmless) {
  TestEdge edge(nullptr);
  vesk::ServiceControl control(edge.Edge());
  EXPECT_FALSE(control.HasService());
  control.SetConnectionStateHandler([](const vesk::model::connection::State&) {});
  const auto profile = control.CurrentProfile();
  EXPECT_FALSE(profile.allowRecordingControl || profile.allowComments || profile.showTrayIcon);
  control.Start();
  control.Pause();
  control.Resume();
  control.StartRecording();
  control.StopRecording();
  control.AddComment("text");
  EXPECT_EQ(control.GetVersion(), "");
  EXPECT_EQ(control.GetTextFilePath(), "");
  control.StartAutoRecord();
  EXPECT_FALSE(control.IsAutoRecordRunning());
  control.StopAutoRecord();
  control.Stop();
}
