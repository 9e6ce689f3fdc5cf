#include "service/Signal.h"

#include <boost/chrono/system_clocks.hpp>
#include <boost/thread/lock_types.hpp>

namespace vesk {

void Signal::Set() {
  {
    boost::unique_lock<boost::mutex> lock(mutex_);
    set_ = true;
  }
  condition_.notify_all();
}

void Signal::Reset() {
  boost::unique_lock<boost::mutex> lock(mutex_);
  set_ = false;
}

bool Signal::WaitFor(std::uint32_t milliseconds) {
  boost::unique_lock<boost::mutex> lock(mutex_);
  if (set_) return true;
  // The deadline is fixed once, on a clock that a change of the wall clock cannot move. A single
  // wait is not enough: a condition variable may wake without a notification, and ending the wait
  // then would cut a recording or its pause short. So wait again until the flag or the deadline.
  const auto deadline =
      boost::chrono::steady_clock::now() + boost::chrono::milliseconds(milliseconds);
  while (!set_) {
    if (condition_.wait_until(lock, deadline) == boost::cv_status::timeout) break;
  }
  return set_;
}

}  // namespace vesk
