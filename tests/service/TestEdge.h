#pragma once
// An edge table for the adapter's tests: the fake service instead of GetService, a settable
// clock, and a scripted auto-record wait that lets a number of delays "pass" at once and then
// waits on the real stop signal, so a cycle runs through its phases without real delays.
#include <boost/date_time/posix_time/posix_time.hpp>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <mutex>
#include <vector>

#include "tools/FakeRecorderService.h"
#include "service/ServiceEdge.h"
#include "service/Signal.h"

namespace sivrel_test {

class TestEdge {
 public:
  explicit TestEdge(FakeRecorderService* service) : service_(service) {}

  // The adapter's edge; getService hands out the fake (or nothing when it is null).
  vesk::ServiceEdge Edge() {
    vesk::ServiceEdge edge;
    edge.context = this;
    edge.getService = [](void* context) -> vesk::IServiceControl* {
      return static_cast<TestEdge*>(context)->service_;
    };
    edge.universalTime = [](void* context) {
      auto* self = static_cast<TestEdge*>(context);
      std::lock_guard<std::mutex> guard(self->mutex_);
      return self->now_;
    };
    edge.calendarTime = [](void* context) {
      auto* self = static_cast<TestEdge*>(context);
      std::lock_guard<std::mutex> guard(self->mutex_);
      return self->seed_;
    };
    edge.waitFor = [](void* context, vesk::Signal& signal, std::uint32_t ms) {
      return static_cast<TestEdge*>(context)->Wait(signal, ms);
    };
    return edge;
  }

  void SetNow(const boost::posix_time::ptime& now) {
    std::lock_guard<std::mutex> guard(mutex_);
    now_ = now;
  }
  void AdvanceSeconds(long seconds) {
    std::lock_guard<std::mutex> guard(mutex_);
    now_ += boost::posix_time::seconds(seconds);
  }
  void SetSeed(std::time_t seed) {
    std::lock_guard<std::mutex> guard(mutex_);
    seed_ = seed;
  }
  // The next `count` waits return at once as if their delay had passed; later waits block on the
  // stop signal. Each wait that passes advances the clock by one second, so ids differ.
  void LetDelaysPass(int count) {
    std::lock_guard<std::mutex> guard(mutex_);
    passes_ = count;
  }
  // Waits until the worker has entered `count` waits in all; false after ten seconds.
  bool AwaitWaits(std::size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return delays_.size() >= count; });
  }
  std::vector<std::uint32_t> Delays() {
    std::lock_guard<std::mutex> guard(mutex_);
    return delays_;
  }

 private:
  bool Wait(vesk::Signal& signal, std::uint32_t ms) {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      delays_.push_back(ms);
      if (passes_ > 0) {
        --passes_;
        now_ += boost::posix_time::seconds(1);
        changed_.notify_all();
        return signal.WaitFor(0);
      }
    }
    changed_.notify_all();
    while (!signal.WaitFor(60000)) {
    }
    service_->Note("worker woken");
    return true;
  }

  FakeRecorderService* service_;
  std::mutex mutex_;
  std::condition_variable changed_;
  boost::posix_time::ptime now_{boost::gregorian::date(2020, 1, 15),
                                boost::posix_time::time_duration(9, 30, 5)};
  std::time_t seed_ = 1;
  int passes_ = 0;
  std::vector<std::uint32_t> delays_;
};

}  // namespace sivrel_test
