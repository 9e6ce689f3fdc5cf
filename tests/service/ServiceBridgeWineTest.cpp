// The adapter as the client builds it: vesk::ServiceControl with the real edge, which loads the
// stand-in Korvex.dll beside the program and looks up its GetService, with std::function and
// std::string crossing the DLL boundary in both directions. The simulator's control pipe makes
// the service's events happen.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "korvex/PipeClient.h"
#include "korvex/PipeProtocol.h"
#include "service/ServiceControl.h"
#include "SivrelVersion.h"

namespace {

class Seen {
 public:
  void Add(const std::string& text) {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      texts_.push_back(text);
      threads_.push_back(GetCurrentThreadId());
    }
    changed_.notify_all();
  }
  bool WaitFor(const std::string& text) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [&] {
      for (const std::string& t : texts_)
        if (t == text) return true;
      return false;
    });
  }
  std::vector<std::string> Texts() {
    std::lock_guard<std::mutex> guard(mutex_);
    return texts_;
  }
  std::vector<DWORD> Threads() {
    std::lock_guard<std::mutex> guard(mutex_);
    return threads_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> texts_;
  std::vector<DWORD> threads_;
};

std::string PrivatePipe() {
  const std::string name = "korvex-bridge-" + std::to_string(GetCurrentProcessId());
  SetEnvironmentVariableA(korvex::kPipeNameVariable, name.c_str());
  return "\\\\.\\pipe\\" + name;
}

korvex::Answer Command(const std::string& pipe, const std::string& line) {
  std::string reply, error;
  korvex::Answer answer{false, "exchange failed"};
  if (korvex::SendToPipe(pipe, line, 10000, &reply, &error) == korvex::SendResult::Replied)
    korvex::DecodeReply(reply, &answer);
  return answer;
}

void InstallHandlers(vesk::ServiceControl& control, Seen& seen) {
  control.SetRecordingStateHandler([&](const vesk::model::media::RecordingState& s) {
    seen.Add("recording " + std::to_string(s.kind));
  });
  control.SetUploadProgressHandler([&](unsigned char p) { seen.Add("upload " + std::to_string(p)); });
  control.SetConnectionStateHandler([&](const vesk::model::connection::State& s) {
    seen.Add("connection " + std::to_string(static_cast<unsigned>(s)));
  });
  control.SetShutdownHandler([&] { seen.Add("shutdown"); });
  control.SetMonitoredHandler([&](bool m) { seen.Add(std::string("monitored ") + (m ? "1" : "0")); });
  control.SetProfileHandler([&](const vesk::ScreenRecorderProfile& p) {
    seen.Add("profile " + std::to_string(p.allowRecordingControl) + std::to_string(p.allowComments) +
             std::to_string(p.showTrayIcon));
  });
  control.SetUpdatedHandler([&] { seen.Add("updated"); });
  control.SetNotificationHandler([&](const std::string& text) { seen.Add("notification " + text); });
}

}  // namespace

TEST(ServiceBridge, TheClientsAdapterDrivesTheRealLibraryAndHearsItsEvents) {
  const std::string pipe = PrivatePipe();
  Seen seen;
  {
    vesk::ServiceControl control;
    ASSERT_TRUE(control.HasService());
    const auto profile = control.CurrentProfile();
    EXPECT_TRUE(profile.allowRecordingControl && profile.allowComments && profile.showTrayIcon);
    EXPECT_EQ(control.GetVersion(), SIVREL_VERSION_TEXT);
    EXPECT_NE(control.GetTextFilePath().find("Korvex-comments.txt"), std::string::npos);
    InstallHandlers(control, seen);
    control.Start();
    ASSERT_TRUE(seen.WaitFor("monitored 1"));
    for (DWORD thread : seen.Threads()) EXPECT_NE(thread, GetCurrentThreadId());

    EXPECT_TRUE(Command(pipe, "profile 1 1 0").ok);
    EXPECT_TRUE(seen.WaitFor("profile 110"));
    EXPECT_TRUE(Command(pipe, "notify across the boundary").ok);
    EXPECT_TRUE(seen.WaitFor("notification across the boundary"));
    EXPECT_TRUE(Command(pipe, "recording 4294967295").ok);
    EXPECT_TRUE(seen.WaitFor("recording 4294967295"));

    control.StartRecording();
    ASSERT_TRUE(seen.WaitFor("recording 1"));
    control.Pause();
    ASSERT_TRUE(seen.WaitFor("recording 3"));
    control.Resume();
    ASSERT_TRUE(seen.WaitFor("recording 4"));
    control.AddComment("one\r\ntwo");
    control.StopRecording();
    ASSERT_TRUE(seen.WaitFor("recording 0"));

    const korvex::Answer calls = Command(pipe, "calls");
    ASSERT_TRUE(calls.ok);
    // The adapter's order of construction, then what it was asked to do.
    EXPECT_EQ(calls.text.rfind("GetSettings\nSubscribeConnectionState\nSubscribeRecordingState\n"
                               "SubscribeUploadProgress\nSubscribeShutdown\nSubscribeMonitored\n"
                               "SubscribeSettingsChanged\nSubscribeUpdated\nSubscribeNotification\n",
                               0),
              0u)
        << calls.text;
    const std::size_t start = calls.text.find("StartRecording ");
    ASSERT_NE(start, std::string::npos);
    const std::string id = calls.text.substr(start + 15, 15);
    EXPECT_EQ(id[8], 'T');
    EXPECT_NE(calls.text.find("AddComment one\\r\\ntwo\nStopRecording " + id), std::string::npos)
        << calls.text;
  }
  // The adapter has stopped and released the service: its pipe is gone with it.
  std::string reply, error;
  EXPECT_EQ(korvex::SendToPipe(pipe, "calls", 2000, &reply, &error), korvex::SendResult::NoSimulator);
}

TEST(ServiceBridge, AutoRecordCycleAndRestartAgainstTheRealLibrary) {
  const std::string pipe = PrivatePipe();
  Seen seen;
  vesk::ServiceControl control;
  InstallHandlers(control, seen);
  control.Start();
  ASSERT_TRUE(seen.WaitFor("monitored 1"));
  control.StartAutoRecord();
  EXPECT_TRUE(control.IsAutoRecordRunning());
  ASSERT_TRUE(seen.WaitFor("recording 1"));  // the first recording starts at once
  // Restart: the cycle ends before the service stops, and stays ended.
  control.Stop();
  EXPECT_FALSE(control.IsAutoRecordRunning());
  control.Start();
  EXPECT_FALSE(control.IsAutoRecordRunning());
  const korvex::Answer calls = Command(pipe, "calls");
  ASSERT_TRUE(calls.ok);
  EXPECT_NE(calls.text.find("StartRecording "), std::string::npos);
  EXPECT_EQ(calls.text.find("StopRecording"), std::string::npos);  // ten seconds had not passed
  EXPECT_NE(calls.text.find("Stop\nStart"), std::string::npos);
}
