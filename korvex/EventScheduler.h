#pragma once
// A thread of the simulator's own that runs actions at their due times: the events that follow
// Start, the upload after a recording, and the steps of a scenario.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace korvex {

class EventScheduler {
 public:
  using Clock = std::chrono::steady_clock;

  EventScheduler() = default;
  EventScheduler(const EventScheduler&) = delete;
  EventScheduler& operator=(const EventScheduler&) = delete;
  ~EventScheduler();

  // Starts the thread; nothing happens if it runs already.
  void Start();
  // Drops every pending action and ends the thread, after the running action has returned.
  void Stop();
  // Runs `action` on the scheduler's thread `delayMs` from now; actions due at the same time run
  // in the order they were posted. Ignored while the scheduler is stopped.
  void Post(std::uint32_t delayMs, std::function<void()> action);
  bool OnSchedulerThread() const;

 private:
  void Run();

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::multimap<Clock::time_point, std::function<void()>> pending_;
  bool running_ = false;
  std::thread thread_;
  std::thread::id threadId_;
};

}  // namespace korvex
