#include "service/ServiceEventQueue.h"

#include <utility>

namespace vesk {

bool ServiceEventQueue::Raise(ServiceEvent event) {
  // Restart's own Stop and Start raise events that must never reach the queue. Checked under the
  // lock, so that once the owner has set the flag and then taken a Mark, no ignorable event is
  // queued after that mark.
  std::lock_guard<std::mutex> guard(mutex_);
  if (closed_) return false;
  if (IsIgnorable(event.kind) && ignoring_.load()) return false;
  queue_.push_back(std::move(event));
  ++queued_;
  if (wakeUpPending_) return false;
  wakeUpPending_ = true;
  return true;
}

void ServiceEventQueue::WakeUpLost() {
  std::lock_guard<std::mutex> guard(mutex_);
  wakeUpPending_ = false;
}

bool ServiceEventQueue::Drain(const std::function<void(const ServiceEvent&)>& apply,
                              const std::function<bool()>& keepGoing) {
  if (draining_ || closedHere_) return false;
  draining_ = true;
  for (;;) {
    if (next_ == taken_.size()) {
      taken_.clear();
      next_ = 0;
      std::lock_guard<std::mutex> guard(mutex_);
      if (queue_.empty()) {
        wakeUpPending_ = false;
        break;
      }
      // The emptied vector goes back with its capacity, so a steady flow allocates nothing.
      taken_.swap(queue_);
    }
    if (keepGoing && !keepGoing()) {
      draining_ = false;
      return true;
    }
    const ServiceEvent& event = taken_[next_++];
    ++consumed_;
    if (!(IsIgnorable(event.kind) && ignoring_.load())) apply(event);
    if (closedHere_) break;  // the frame went while applying
  }
  draining_ = false;
  if (closedHere_) {
    taken_.clear();
    next_ = 0;
  }
  return false;
}

void ServiceEventQueue::Close() {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    closed_ = true;
    queue_.clear();
    queue_.shrink_to_fit();
  }
  closedHere_ = true;
  if (!draining_) {
    taken_.clear();
    taken_.shrink_to_fit();
    next_ = 0;
  }
}

std::uint64_t ServiceEventQueue::Mark() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return queued_;
}

std::size_t ServiceEventQueue::Backlog() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return queue_.size() + (taken_.size() - next_);
}

}  // namespace vesk
