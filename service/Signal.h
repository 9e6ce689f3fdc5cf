#pragma once
// A settable flag that a thread can wait on with a timeout: the auto-record worker's stop signal.
#include <cstdint>

#include <boost/thread/condition_variable.hpp>
#include <boost/thread/mutex.hpp>

namespace vesk {

class Signal {
 public:
  Signal() = default;
  Signal(const Signal&) = delete;
  Signal& operator=(const Signal&) = delete;
  virtual ~Signal() = default;

  // Sets the flag and wakes every waiter.
  void Set();
  // Clears the flag; waiters keep waiting.
  void Reset();
  // Waits until the flag is set or `milliseconds` have passed on a monotonic clock.
  // Returns true only if the flag is set.
  bool WaitFor(std::uint32_t milliseconds);

 private:
  boost::mutex mutex_;
  boost::condition_variable condition_;
  bool set_ = false;
};

}  // namespace vesk
