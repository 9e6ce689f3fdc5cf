// The ordered service-event path: coalesced wake-ups, order, the ignore flag at both ends, the
// drain's yield and nesting, closing; and, with several raising threads against one draining
// thread that stands in for the user-interface thread, nothing lost, nothing reordered per
// raising thread, at most one wake-up outstanding (run under TSan in the native-tsan tree).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "service/ServiceEventQueue.h"

namespace {

using vesk::ServiceEvent;
using vesk::ServiceEventKind;
using vesk::ServiceEventQueue;

std::string Describe(const ServiceEvent& e) {
  switch (e.kind) {
    case ServiceEventKind::ConnectionState: return "connection " + std::to_string(e.code);
    case ServiceEventKind::RecordingState: return "recording " + std::to_string(e.code);
    case ServiceEventKind::UploadProgress: return "upload " + std::to_string(e.code);
    case ServiceEventKind::Shutdown: return "shutdown";
    case ServiceEventKind::Monitored: return std::string("monitored ") + (e.monitored ? "1" : "0");
    case ServiceEventKind::Profile:
      return std::string("profile ") + (e.profile.allowRecordingControl ? "1" : "0") +
             (e.profile.allowComments ? "1" : "0") + (e.profile.showTrayIcon ? "1" : "0");
    case ServiceEventKind::Updated: return "updated";
    case ServiceEventKind::Notification: return "notify " + e.text;
  }
  return "?";
}

struct Applied {
  std::vector<std::string> log;
  std::function<void(const ServiceEvent&)> Apply() {
    return [this](const ServiceEvent& e) { log.push_back(Describe(e)); };
  }
};

const std::function<bool()> kAlways = [] { return true; };

TEST(ServiceEventQueue, OneWakeUpUntilTheDrainFindsTheQueueEmpty) {
  std::atomic<bool> ignoring{false};
  ServiceEventQueue queue(ignoring);
  EXPECT_TRUE(queue.Raise(ServiceEvent::ConnectionState(1)));
  EXPECT_FALSE(queue.Raise(ServiceEvent::Monitored(true)));
  EXPECT_FALSE(queue.Raise(ServiceEvent::Notification("hi")));
  Applied applied;
  EXPECT_FALSE(queue.Drain(applied.Apply(), kAlways));
  EXPECT_EQ(applied.log, (std::vector<std::string>{"connection 1", "monitored 1", "notify hi"}));
  EXPECT_EQ(queue.Backlog(), 0u);
  // The pending mark went with the empty queue: the next event posts again.
  EXPECT_TRUE(queue.Raise(ServiceEvent::Updated()));
  // A drain of an empty queue is harmless.
  EXPECT_FALSE(queue.Drain(applied.Apply(), kAlways));
  EXPECT_FALSE(queue.Drain(applied.Apply(), kAlways));
  EXPECT_TRUE(queue.Raise(ServiceEvent::Shutdown()));
}

TEST(ServiceEventQueue, EventsRaisedWhileDrainingJoinTheSameDrainWithoutAWakeUp) {
  std::atomic<bool> ignoring{false};
  ServiceEventQueue queue(ignoring);
  ASSERT_TRUE(queue.Raise(ServiceEvent::RecordingState(1)));
  std::vector<std::string> log;
  bool raisedDuringApply = true;
  queue.Drain(
      [&](const ServiceEvent& e) {
        log.push_back(Describe(e));
        if (e.kind == ServiceEventKind::RecordingState && e.code == 1) {
          // The wake-up is still marked pending, so this asks for none.
          raisedDuringApply = queue.Raise(ServiceEvent::UploadProgress(250));
          queue.Raise(ServiceEvent::RecordingState(0));
        }
      },
      kAlways);
  EXPECT_FALSE(raisedDuringApply);
  EXPECT_EQ(log, (std::vector<std::string>{"recording 1", "upload 250", "recording 0"}));
  EXPECT_TRUE(queue.Raise(ServiceEvent::Updated()));
}

TEST(ServiceEventQueue, AYieldingDrainKeepsTheRestInOrderAndTheWakeUpPending) {
  std::atomic<bool> ignoring{false};
  ServiceEventQueue queue(ignoring);
  for (int i = 0; i < 10; ++i) queue.Raise(ServiceEvent::Notification(std::to_string(i)));
  Applied applied;
  int budget = 4;
  EXPECT_TRUE(queue.Drain(applied.Apply(), [&] { return budget-- > 0; }));
  EXPECT_EQ(applied.log.size(), 4u);
  EXPECT_EQ(queue.Backlog(), 6u);
  // Still pending: the caller has posted the next wake-up, raisers post none.
  EXPECT_FALSE(queue.Raise(ServiceEvent::Notification("10")));
  EXPECT_FALSE(queue.Drain(applied.Apply(), kAlways));
  ASSERT_EQ(applied.log.size(), 11u);
  for (int i = 0; i <= 10; ++i) EXPECT_EQ(applied.log[i], "notify " + std::to_string(i));
}

TEST(ServiceEventQueue, IgnoringDropsConnectionRecordingAndUploadWhenRaisedAndWhenApplied) {
  std::atomic<bool> ignoring{false};
  ServiceEventQueue queue(ignoring);
  // Raised before the flag is set, applied after: dropped at the second check.
  queue.Raise(ServiceEvent::ConnectionState(3));
  queue.Raise(ServiceEvent::Notification("before"));
  ignoring = true;
  // Raised while set: never queued.
  EXPECT_FALSE(queue.Raise(ServiceEvent::RecordingState(1)));
  EXPECT_FALSE(queue.Raise(ServiceEvent::UploadProgress(10)));
  queue.Raise(ServiceEvent::Monitored(true));
  queue.Raise(ServiceEvent::Profile(vesk::ScreenRecorderProfile{true, false, true}));
  queue.Raise(ServiceEvent::Updated());
  queue.Raise(ServiceEvent::Shutdown());
  EXPECT_EQ(queue.Backlog(), 6u);
  Applied applied;
  queue.Drain(applied.Apply(), kAlways);
  EXPECT_EQ(applied.log, (std::vector<std::string>{"notify before", "monitored 1", "profile 101",
                                                   "updated", "shutdown"}));
  ignoring = false;
  queue.Raise(ServiceEvent::ConnectionState(0));
  queue.Drain(applied.Apply(), kAlways);
  EXPECT_EQ(applied.log.back(), "connection 0");
}

TEST(ServiceEventQueue, ANestedDrainLeavesTheWorkToTheOuterOne) {
  std::atomic<bool> ignoring{false};
  ServiceEventQueue queue(ignoring);
  for (int i = 0; i < 3; ++i) queue.Raise(ServiceEvent::Notification(std::to_string(i)));
  std::vector<std::string> log;
  bool nestedAnswer = true;
  int nestedApplied = 0;
  queue.Drain(
      [&](const ServiceEvent& e) {
        log.push_back(e.text);
        if (e.text == "0") {
          queue.Raise(ServiceEvent::Notification("3"));
          nestedAnswer = queue.Drain([&](const ServiceEvent&) { ++nestedApplied; }, kAlways);
        }
      },
      kAlways);
  EXPECT_FALSE(nestedAnswer);
  EXPECT_EQ(nestedApplied, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"0", "1", "2", "3"}));
}

TEST(ServiceEventQueue, ClosingFreesTheQueueAndDropsEverythingAfter) {
  std::atomic<bool> ignoring{false};
  ServiceEventQueue queue(ignoring);
  queue.Raise(ServiceEvent::Notification("a"));
  queue.Raise(ServiceEvent::Notification("b"));
  queue.Close();
  EXPECT_EQ(queue.Backlog(), 0u);
  EXPECT_FALSE(queue.Raise(ServiceEvent::Notification("late")));
  Applied applied;
  EXPECT_FALSE(queue.Drain(applied.Apply(), kAlways));
  EXPECT_TRUE(applied.log.empty());

  // Closed while applying (the frame went inside a handler): the drain stops there.
  ServiceEventQueue other(ignoring);
  for (int i = 0; i < 4; ++i) other.Raise(ServiceEvent::Notification(std::to_string(i)));
  std::vector<std::string> log;
  other.Drain(
      [&](const ServiceEvent& e) {
        log.push_back(e.text);
        if (e.text == "1") other.Close();
      },
      kAlways);
  EXPECT_EQ(log, (std::vector<std::string>{"0", "1"}));
  EXPECT_EQ(other.Backlog(), 0u);
}

TEST(ServiceEventQueue, ALostWakeUpIsPostedAgainByTheNextEvent) {
  std::atomic<bool> ignoring{false};
  ServiceEventQueue queue(ignoring);
  ASSERT_TRUE(queue.Raise(ServiceEvent::Updated()));
  queue.WakeUpLost();
  EXPECT_TRUE(queue.Raise(ServiceEvent::Updated()));
  Applied applied;
  queue.Drain(applied.Apply(), kAlways);
  EXPECT_EQ(applied.log.size(), 2u);
}

// The user-interface thread's message queue, reduced to the wake-up message.
class WakeUpChannel {
 public:
  void Post() {
    std::lock_guard<std::mutex> guard(mutex_);
    ++posted_;
    maxOutstanding_ = std::max(maxOutstanding_, posted_ - taken_);
    cv_.notify_one();
  }
  // False when told to stop and nothing is posted.
  bool Take() {
    std::unique_lock<std::mutex> lock(mutex_);
    cv_.wait(lock, [&] { return posted_ > taken_ || stop_; });
    if (posted_ == taken_) return false;
    ++taken_;
    return true;
  }
  void Stop() {
    std::lock_guard<std::mutex> guard(mutex_);
    stop_ = true;
    cv_.notify_one();
  }
  long MaxOutstanding() {
    std::lock_guard<std::mutex> guard(mutex_);
    return maxOutstanding_;
  }
  long Posted() {
    std::lock_guard<std::mutex> guard(mutex_);
    return posted_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  long posted_ = 0, taken_ = 0, maxOutstanding_ = 0;
  bool stop_ = false;
};

TEST(ServiceEventQueue, ManyRaisingThreadsLoseNothingAndKeepEachThreadsOrder) {
  constexpr int kThreads = 8;
  constexpr int kPerThread = 20000;
  std::atomic<bool> ignoring{false};
  ServiceEventQueue queue(ignoring);
  WakeUpChannel channel;
  std::vector<std::vector<int>> seen(kThreads);
  std::atomic<long> applied{0};
  int yields = 0;

  std::thread ui([&] {
    int sinceYield = 0;
    while (channel.Take()) {
      const bool more = queue.Drain(
          [&](const ServiceEvent& e) {
            const int thread = static_cast<int>(e.code);
            seen[thread].push_back(std::stoi(e.text));
            applied.fetch_add(1);
          },
          // Yield every 500 events, as the frame does on its time budget.
          [&] {
            if (++sinceYield < 500) return true;
            sinceYield = 0;
            return false;
          });
      if (more) {
        ++yields;
        channel.Post();
      }
    }
  });

  std::vector<std::thread> raisers;
  for (int t = 0; t < kThreads; ++t) {
    raisers.emplace_back([&, t] {
      for (int i = 0; i < kPerThread; ++i) {
        ServiceEvent e = ServiceEvent::Notification(std::to_string(i));
        e.code = static_cast<std::uint32_t>(t);
        if (queue.Raise(std::move(e))) channel.Post();
      }
    });
  }
  for (auto& r : raisers) r.join();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (applied.load() < kThreads * kPerThread && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  channel.Stop();
  ui.join();

  ASSERT_EQ(applied.load(), kThreads * kPerThread) << "events were lost or stranded";
  for (int t = 0; t < kThreads; ++t) {
    ASSERT_EQ(seen[t].size(), static_cast<size_t>(kPerThread));
    for (int i = 0; i < kPerThread; ++i) ASSERT_EQ(seen[t][i], i) << "thread " << t;
  }
  EXPECT_LE(channel.MaxOutstanding(), 1) << "more than one wake-up was outstanding";
  EXPECT_LT(channel.Posted(), kThreads * kPerThread) << "wake-ups were not coalesced";
  EXPECT_GT(yields, 0);
}

TEST(ServiceEventQueue, EventsRaisedWhileIgnoringNeverApplyWhateverTheThread) {
  constexpr int kThreads = 6;
  std::atomic<bool> ignoring{false};
  ServiceEventQueue queue(ignoring);
  WakeUpChannel channel;
  std::mutex logMutex;
  std::vector<std::string> log;
  std::thread ui([&] {
    while (channel.Take()) {
      queue.Drain(
          [&](const ServiceEvent& e) {
            std::lock_guard<std::mutex> guard(logMutex);
            log.push_back(Describe(e));
          },
          kAlways);
    }
  });
  auto raiseFromThreads = [&](const std::string& phase) {
    std::vector<std::thread> raisers;
    for (int t = 0; t < kThreads; ++t) {
      raisers.emplace_back([&, t] {
        for (int i = 0; i < 200; ++i) {
          // The notification first: in the listening phase every thread's connection events
          // follow its own first "listening" notice.
          if (queue.Raise(ServiceEvent::Notification(phase))) channel.Post();
          if (queue.Raise(ServiceEvent::ConnectionState(t))) channel.Post();
        }
      });
    }
    for (auto& r : raisers) r.join();
  };
  ignoring = true;
  raiseFromThreads("ignoring");
  ignoring = false;
  raiseFromThreads("listening");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  for (;;) {
    {
      std::lock_guard<std::mutex> guard(logMutex);
      if (log.size() >= kThreads * 200 * 3u) break;
    }
    ASSERT_LT(std::chrono::steady_clock::now(), deadline);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  channel.Stop();
  ui.join();
  std::size_t connections = 0, notifications = 0;
  bool connectionBeforeListening = false;
  bool listening = false;
  for (const std::string& entry : log) {
    if (entry == "notify listening") listening = true;
    if (entry.rfind("connection", 0) == 0) {
      ++connections;
      if (!listening) connectionBeforeListening = true;
    } else {
      ++notifications;
    }
  }
  EXPECT_EQ(connections, kThreads * 200u);
  EXPECT_EQ(notifications, kThreads * 400u);
  EXPECT_FALSE(connectionBeforeListening);
}

}  // namespace
