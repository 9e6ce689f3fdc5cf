// The simulated recorder service without its DLL and pipe: what it raises, when, and on which
// thread; what it refuses; and that Stop and Release leave no callback running.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "korvex/SimulatedService.h"
#include "EventRecorder.h"
#include "SivrelVersion.h"

using sivrel_test::EventRecorder;
using Texts = std::vector<std::string>;

namespace {

// The service frees itself through Release, as in the DLL.
struct Released {
  void operator()(korvex::SimulatedService* s) const { s->Release(); }
};
using ServicePtr = std::unique_ptr<korvex::SimulatedService, Released>;

std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "korvex-" + name + "-" + std::to_string(::getpid()) + ".txt";
}

ServicePtr MakeService(EventRecorder& events, korvex::Scenario scenario = {},
                       const std::string& logPath = std::string()) {
  korvex::SimulatorOptions options;
  options.commentLogPath = logPath;
  options.scenario = std::move(scenario);
  options.connectStepMs = 5;
  options.uploadStepMs = 2;
  ServicePtr service(new korvex::SimulatedService(options));
  events.SubscribeTo(*service);
  return service;
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace

TEST(SimulatedService, StartReportsTheConnectionStepsOnItsOwnThreadAndNothingBefore) {
  EventRecorder events;
  auto service = MakeService(events);
  const vesk::ServiceSettings* settings = service->GetSettings();
  EXPECT_TRUE(settings->allowRecordingControl && settings->allowComments && settings->showTrayIcon);
  EXPECT_STREQ(service->GetVersion(), SIVREL_VERSION_TEXT);
  // Before Start: commands that would raise an event say so, and nothing arrives.
  const auto refused = service->ExecuteLine("connection 3");
  EXPECT_FALSE(refused.ok);
  EXPECT_NE(refused.text.find("stopped"), std::string::npos);
  service->StartRecording("20261207T093005");
  EXPECT_EQ(events.Count(), 0u);

  service->Start();
  service->Start();  // harmless
  ASSERT_TRUE(events.WaitFor("monitored 1"));
  EXPECT_EQ(events.Texts(), (Texts{"connection 0", "connection 1", "connection 3", "monitored 1"}));
  for (const auto& e : events.Events()) EXPECT_NE(e.thread, std::this_thread::get_id());
}

TEST(SimulatedService, CommandsRaiseTheirEventBeforeAnswering) {
  EventRecorder events;
  auto service = MakeService(events);
  service->Start();
  ASSERT_TRUE(events.WaitFor("monitored 1"));
  events.Clear();
  const char* lines[] = {"connection 4294967295", "recording 42", "upload 255", "monitored 0",
                         "profile 0 1 0", "updated", "notify Two  words", "shutdown"};
  for (const char* line : lines) {
    const auto answer = service->ExecuteLine(line);
    EXPECT_TRUE(answer.ok) << line << ": " << answer.text;
  }
  EXPECT_EQ(events.Texts(), (Texts{"connection 4294967295", "recording 42", "upload 255",
                                   "monitored 0", "settings", "updated", "notification Two  words",
                                   "shutdown"}));
  const vesk::ServiceSettings* settings = service->GetSettings();
  EXPECT_FALSE(settings->allowRecordingControl);
  EXPECT_TRUE(settings->allowComments);
  EXPECT_FALSE(settings->showTrayIcon);
  EXPECT_NE(service->ExecuteLine("help").text.find("profile C M I"), std::string::npos);
}

TEST(SimulatedService, BadCommandsChangeNothing) {
  EventRecorder events;
  auto service = MakeService(events);
  service->Start();
  ASSERT_TRUE(events.WaitFor("monitored 1"));
  const std::size_t before = events.Count();
  const std::string callsBefore = service->Calls().Text();
  for (const char* line : {"profile 0 0 2", "profile 0 0", "upload 256", "explode", ""}) {
    const auto answer = service->ExecuteLine(line);
    EXPECT_FALSE(answer.ok) << line;
    EXPECT_FALSE(answer.text.empty()) << line;
  }
  EXPECT_EQ(events.Count(), before);
  EXPECT_EQ(service->Calls().Text(), callsBefore);
  EXPECT_TRUE(service->GetSettings()->showTrayIcon);
  service->Stop();
  // Stopped: a valid profile command is refused too and leaves the settings alone.
  EXPECT_FALSE(service->ExecuteLine("profile 0 0 0").ok);
  EXPECT_TRUE(service->GetSettings()->allowRecordingControl);
}

TEST(SimulatedService, RecordingOperationsRaiseTheirStatesAndStopUploads) {
  EventRecorder events;
  auto service = MakeService(events);
  service->PauseRecording();  // not started, no recording: nothing
  service->Start();
  ASSERT_TRUE(events.WaitFor("monitored 1"));
  events.Clear();
  service->ResumeRecording();  // nothing paused: nothing
  service->StartRecording("20261207T093005");
  ASSERT_TRUE(events.WaitFor("recording 1"));
  service->PauseRecording();
  ASSERT_TRUE(events.WaitFor("recording 3"));
  service->PauseRecording();  // already paused: nothing
  service->ResumeRecording();
  ASSERT_TRUE(events.WaitFor("recording 4"));
  service->StopRecording("20261207T093005");
  ASSERT_TRUE(events.WaitFor("upload 100"));
  EXPECT_EQ(events.Texts(),
            (Texts{"recording 1", "recording 3", "recording 4", "recording 0", "upload 0",
                   "upload 10", "upload 20", "upload 30", "upload 40", "upload 50", "upload 60",
                   "upload 70", "upload 80", "upload 90", "upload 100"}));
  service->StopRecording("20261207T093005");  // no recording runs: nothing more
  service->Stop();
  EXPECT_EQ(events.Count(), 15u);
}

TEST(SimulatedService, StopEndsPendingEventsAndStartRunsAgain) {
  EventRecorder events;
  korvex::SimulatorOptions options;
  options.connectStepMs = 5;
  options.uploadStepMs = 60000;  // an upload that Stop must cut off
  ServicePtr service(new korvex::SimulatedService(options));
  events.SubscribeTo(*service);
  service->Start();
  ASSERT_TRUE(events.WaitFor("monitored 1"));
  service->StartRecording("a");
  ASSERT_TRUE(events.WaitFor("recording 1"));
  service->StopRecording("a");
  ASSERT_TRUE(events.WaitFor("recording 0"));
  service->Stop();  // returns at once, although eleven upload steps were pending
  const std::size_t afterStop = events.Count();
  EXPECT_FALSE(service->ExecuteLine("updated").ok);
  events.Clear();
  service->Start();
  ASSERT_TRUE(events.WaitFor("monitored 1"));
  EXPECT_EQ(events.Texts(), (Texts{"connection 0", "connection 1", "connection 3", "monitored 1"}));
  EXPECT_EQ(afterStop, 6u);  // four connection steps, recording 1 and 0, nothing of the upload
}

TEST(SimulatedService, StopWaitsForARunningCallback) {
  korvex::SimulatorOptions options;
  ServicePtr service(new korvex::SimulatedService(options));
  std::atomic<bool> entered{false}, release{false}, finished{false};
  service->SubscribeNotification([&](const std::string&) {
    entered = true;
    while (!release) std::this_thread::yield();
    finished = true;
  });
  service->Start();
  std::thread raiser([&] { service->ExecuteLine("notify hold on"); });
  while (!entered) std::this_thread::yield();
  std::atomic<bool> stopped{false}, finishedWhenStopped{false};
  std::thread stopper([&] {
    service->Stop();
    finishedWhenStopped = finished.load();
    stopped = true;
  });
  // Once Stop is under way the service refuses events; it must still be waiting for the callback.
  while (service->ExecuteLine("updated").ok) std::this_thread::yield();
  EXPECT_FALSE(stopped);
  release = true;
  stopper.join();
  raiser.join();
  EXPECT_TRUE(finishedWhenStopped);
}

TEST(SimulatedService, ACallbackMayStopTheServiceWithoutWaitingForItself) {
  korvex::SimulatorOptions options;
  options.connectStepMs = 1;
  ServicePtr service(new korvex::SimulatedService(options));
  std::atomic<bool> stoppedInside{false};
  service->SubscribeMonitored([&](bool) {
    service->Stop();
    stoppedInside = true;
  });
  service->Start();
  while (!stoppedInside) std::this_thread::yield();
  EXPECT_FALSE(service->ExecuteLine("updated").ok);
  service->Start();  // and it starts again
  EXPECT_TRUE(service->ExecuteLine("updated").ok);
}

TEST(SimulatedService, CommentsGoToTheTextFileWithTheirRecordingAndTime) {
  const std::string path = TempPath("comments");
  std::remove(path.c_str());
  {
    EventRecorder events;
    auto service = MakeService(events, {}, path);
    EXPECT_EQ(service->GetTextFilePath(), path);
    service->AddComment("before any recording");
    service->StartRecording("20261207T093005");
    service->AddComment("first line\r\nsecond line");
  }
  const std::string text = ReadFile(path);
  EXPECT_EQ(text.rfind("Korvex comment log", 0), 0u);
  EXPECT_NE(text.find("UTC  recording (none)\r\n    before any recording\r\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("UTC  recording 20261207T093005\r\n    first line\r\n    second line\r\n"),
            std::string::npos)
      << text;
  {
    EventRecorder events;
    auto again = MakeService(events, {}, path);  // a second load keeps the earlier comments
    again->AddComment("third");
  }
  const std::string more = ReadFile(path);
  EXPECT_EQ(more.find("Korvex comment log", 1), std::string::npos);
  EXPECT_NE(more.find("first line"), std::string::npos);
  EXPECT_NE(more.find("    third\r\n"), std::string::npos);
  std::remove(path.c_str());
}

TEST(SimulatedService, CallsListEveryOperationInOrderOnOneLineEach) {
  EventRecorder events;
  auto service = MakeService(events);
  service->GetSettings();
  service->Start();
  service->StartRecording("20261207T093005");
  service->AddComment("first line\nsecond\\third");
  service->StopRecording("20261207T093005");
  service->PauseRecording();
  service->ResumeRecording();
  service->GetVersion();
  service->GetTextFilePath();
  service->ExecuteLine("notify not a call");  // commands are not calls
  service->Stop();
  EXPECT_EQ(service->ExecuteLine("calls").text,
            "SubscribeConnectionState\nSubscribeRecordingState\nSubscribeUploadProgress\n"
            "SubscribeMonitored\nSubscribeSettingsChanged\nSubscribeShutdown\nSubscribeUpdated\n"
            "SubscribeNotification\nGetSettings\nStart\nStartRecording 20261207T093005\n"
            "AddComment first line\\nsecond\\\\third\nStopRecording 20261207T093005\n"
            "PauseRecording\nResumeRecording\nGetVersion\nGetTextFilePath\nStop");
}

TEST(SimulatedService, ScenarioPlaysFromEveryStart) {
  EventRecorder events;
  auto service = MakeService(events, korvex::ParseScenario("wait 20\nnotify hello\nupdated\n", "t"));
  service->Start();
  ASSERT_TRUE(events.WaitFor("updated"));
  service->Stop();
  events.Clear();
  service->Start();
  ASSERT_TRUE(events.WaitFor("updated"));
  const Texts texts = events.Texts();
  EXPECT_EQ(Texts(texts.end() - 2, texts.end()), (Texts{"notification hello", "updated"}));
}

TEST(SimulatedService, CommandsFromManyThreadsWhileTheClientStartsAndStops) {
  auto events = std::make_unique<EventRecorder>();
  auto service = MakeService(*events);
  std::atomic<bool> done{false};
  std::atomic<int> answered{0};
  std::vector<std::thread> controllers;
  for (int t = 0; t < 3; ++t)
    controllers.emplace_back([&, t] {
      const char* lines[] = {"connection 3", "recording 1", "upload 50", "profile 1 1 1",
                             "notify hi", "calls", "monitored 1"};
      for (unsigned i = t; !done; ++i) {
        service->ExecuteLine(lines[i % 7]);
        ++answered;
      }
    });
  for (int round = 0; round < 50; ++round) {
    service->Start();
    service->StartRecording("r" + std::to_string(round));
    service->PauseRecording();
    service->ResumeRecording();
    service->AddComment("c");
    service->StopRecording("r" + std::to_string(round));
    service->Stop();
  }
  done = true;
  for (auto& c : controllers) c.join();
  service.reset();  // Release: afterwards no callback may touch the recorder
  events.reset();
  EXPECT_GT(answered.load(), 0);
}
