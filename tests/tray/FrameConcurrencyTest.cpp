// Service events from several threads at once while the user-interface thread runs commands,
// Restart and Exit, against a service whose Stop and Release wait for running callbacks: what
// the shell is shown keeps each raising thread's order, no deadlock, every effect on the
// user-interface thread, nothing applied once the frame is gone. That the pump itself loses and
// reorders nothing, counted event by event, is ServiceEventPumpTest's.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "TrayTestSupport.h"
#include "res/resource.h"
#include "tools/WinTestSupport.h"

namespace {

using traytest::FrameHarness;

constexpr int kThreads = 6;
constexpr int kNoticesPerThread = 300;

// Balloon texts "t<thread>:<n>" in the order the notification area was told them.
std::map<int, std::vector<int>> NoticesByThread(const FrameHarness& h) {
  std::map<int, std::vector<int>> byThread;
  for (const traytest::ShellCall& call : h.edges.ShellCalls()) {
    if (call.flags != (NIF_INFO | NIF_REALTIME) || call.info.empty() || call.info[0] != 't') continue;
    const size_t colon = call.info.find(':');
    byThread[std::stoi(call.info.substr(1, colon - 1))].push_back(std::stoi(call.info.substr(colon + 1)));
  }
  return byThread;
}

// Threads raising every kind of event flat out. Notices and monitored changes, which nothing
// drops, are counted; with `notices` < 0 the threads run until stopped.
class Storm {
 public:
  // `recording`: recording kinds too, each start or stop reshaping the comments window (the
  // costliest event to apply, so long storms leave it out).
  Storm(sivrel_test::FakeRecorderService& service, int threads, int notices, bool recording = true) {
    for (int t = 0; t < threads; ++t) {
      threads_.emplace_back([&service, t, notices, recording, this] {
        for (int n = 0; notices < 0 ? !stop_.load() : n < notices; ++n) {
          service.RaiseConnection(static_cast<std::uint32_t>(n % 5));
          if (recording) service.RaiseRecording(static_cast<std::uint32_t>(n % 9));
          service.RaiseUpload(static_cast<unsigned char>(n % 120));
          service.RaiseMonitored(n % 2 == 0);
          service.RaiseNotification("t" + std::to_string(t) + ":" + std::to_string(n));
          raised_.fetch_add(1);
        }
      });
    }
  }
  ~Storm() { Join(); }
  void Join() {
    stop_ = true;
    for (auto& t : threads_) {
      if (t.joinable()) t.join();
    }
  }
  // Rounds completed: each raised one event of every kind but the shutdown.
  long Raised() const { return raised_.load(); }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<long> raised_{0};
  std::vector<std::thread> threads_;
};

TEST(TrayConcurrency, AStormDuringCommandsAndRestartsKeepsEachThreadsOrderToTheEnd) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  {
    Storm storm(h.service, kThreads, kNoticesPerThread);
    // The user-interface thread keeps working meanwhile; Restart's Stop waits for the
    // callbacks that are running, which only works because none of them waits for this thread.
    // At least a few rounds, Restart among them, however fast the storm runs out.
    for (int round = 0; (round < 3 || storm.Raised() < kThreads * kNoticesPerThread) && round < 2000;
         ++round) {
      h.Command(ID_TRAY_OPEN);
      h.Command(round % 2 ? ID_RECORDING_START : ID_RECORDING_STOP);
      if (round % 10 == 0) h.Command(ID_TRAY_RESTART);
      wintest::PumpIdle(5);
    }
    storm.Join();
  }
  ASSERT_TRUE(h.Settle(20000));
  // The tray batches what it tells the shell, so it shows fewer balloons than it applies: what
  // was shown of each thread's notices came in the order that thread raised them, and the last
  // balloon is some thread's last notice.
  const auto byThread = NoticesByThread(h);
  ASSERT_FALSE(byThread.empty());
  for (const auto& [thread, notices] : byThread) {
    for (size_t i = 1; i < notices.size(); ++i) {
      ASSERT_LT(notices[i - 1], notices[i]) << "thread " << thread << " reordered";
    }
  }
  std::string last;
  for (const traytest::ShellCall& call : h.edges.ShellCalls()) {
    if (call.flags == (NIF_INFO | NIF_REALTIME)) last = call.info;
  }
  EXPECT_EQ(last.substr(last.find(':') + 1), std::to_string(kNoticesPerThread - 1)) << last;
  const DWORD ui = ::GetCurrentThreadId();
  for (const traytest::ShellCall& call : h.edges.ShellCalls()) ASSERT_EQ(call.thread, ui);
  EXPECT_GE(h.service.CountOf("Stop"), 1);
}

TEST(TrayConcurrency, OneEventAtATimeReachesTheShellUnbatched) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  for (int n = 0; n < 50; ++n) {
    h.service.Notify("t0:" + std::to_string(n));
    ASSERT_TRUE(h.Settle());
  }
  const auto byThread = NoticesByThread(h);
  ASSERT_EQ(byThread.at(0).size(), 50u);
  for (int n = 0; n < 50; ++n) EXPECT_EQ(byThread.at(0)[n], n);
}

TEST(TrayConcurrency, ExitDuringAStormEndsCleanlyAndNothingAppliesAfterTheFrameIsGone) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  // A long storm, but a finite one: raised flat out, it outruns any drain, and a service that
  // raised faster than the client can take events for ever would be no test of the client.
  Storm storm(h.service, kThreads, 40000, false);
  ASSERT_TRUE(wintest::PumpUntil([&] { return storm.Raised() > 2000; }, 10000));
  // Shutdown requested by the service from its own thread, in the middle of the storm.
  h.service.Shutdown();
  EXPECT_EQ(h.RunLoop(15000), 1);
  const size_t atClose = h.edges.ShellCallCount();
  // The storm goes on after the window has gone: none of it reaches the tray.
  const long raisedAtClose = storm.Raised();
  ASSERT_TRUE(wintest::PumpUntil(
      [&] { return storm.Raised() > raisedAtClose + 2000 || storm.Raised() == kThreads * 40000L; },
      20000));
  wintest::PumpIdle(100);
  EXPECT_EQ(h.edges.ShellCallCount(), atClose);
  // The adapter's Release waits for running callbacks; then the icon goes.
  h.frame.reset();
  EXPECT_TRUE(h.service.Released());
  storm.Join();
  EXPECT_EQ(h.edges.Described().back(), "delete");
  EXPECT_EQ(h.edges.ShellCallCount(), atClose + 1);
}

TEST(TrayConcurrency, AShutdownRequestTakesEffectAfterTheEventsRaisedBeforeIt) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  // What the comments window shows when the close stops the service, before the window goes.
  bool uploadedAtClose = false;
  h.service.duringCall = [&](const std::string& call) {
    if (call == "Stop") uploadedAtClose = h.ControlShown(IDC_UPLOADED);
  };
  h.service.OnEventThread([&] {
    h.service.RaiseNotification("t0:0");
    h.service.RaiseUpload(100);
    h.service.RaiseShutdown();
  });
  EXPECT_EQ(h.RunLoop(15000), 1);
  h.service.duringCall = nullptr;
  const auto byThread = NoticesByThread(h);
  ASSERT_EQ(byThread.count(0), 1u);
  EXPECT_EQ(byThread.at(0), std::vector<int>{0});
  EXPECT_TRUE(uploadedAtClose);
}

// Mended: a wake-up that could not be posted (the message queue full) left its events, a
// shutdown request among them, queued until the service raised again. A timer brings them, and
// the close that a shutdown request could not post.
TEST(TrayConcurrency, AWakeUpOrCloseThatCannotBePostedComesByTimer) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  h.edges.RefusePosts(1);
  h.service.Notify("t0:0");
  EXPECT_TRUE(wintest::PumpUntil([&] { return NoticesByThread(h)[0] == std::vector<int>{0}; }, 5000));
  h.edges.RefusePosts(2);  // the wake-up, then the close
  h.service.Shutdown();
  EXPECT_EQ(h.RunLoop(15000), 1);
  EXPECT_FALSE(::IsWindow(h.Window()));
  EXPECT_EQ(h.service.CountOf("Stop"), 1);
}

}  // namespace
