#pragma once
// The ordered path of service events from the service's threads to the user-interface thread.
//
// Raising threads only append the event under the lock; the first one to find no wake-up
// pending is told to post one. The user-interface thread drains: it takes the whole queue under
// the lock, applies it in order outside the lock, and clears the pending mark only under the
// lock that finds the queue empty, so an event appended meanwhile is either seen by this drain
// or posts a wake-up of its own; none is stranded. No raising thread ever waits for the
// user-interface thread, only for the lock's short hold. Platform-free.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "service/ServiceEvent.h"

namespace vesk {

class ServiceEventQueue {
 public:
  // `ignoring` is the owner's flag: while set, connection, recording and upload events are
  // dropped, checked when an event is raised and again when it is applied.
  explicit ServiceEventQueue(const std::atomic<bool>& ignoring) : ignoring_(ignoring) {}
  ServiceEventQueue(const ServiceEventQueue&) = delete;
  ServiceEventQueue& operator=(const ServiceEventQueue&) = delete;

  // Any thread. Records the event; true when the caller must post the one wake-up now.
  // Dropped (false) while ignoring if the event is ignorable, and after Close.
  bool Raise(ServiceEvent event);

  // The wake-up the last true Raise asked for could not be posted: the next Raise posts again.
  void WakeUpLost();

  // User-interface thread, on the wake-up. Applies queued events in the order they were raised
  // until the queue is empty; answers false then. `keepGoing` is asked before each event; when
  // it says stop, the drain returns true with the rest still queued and the wake-up still
  // marked pending, and the caller posts a new wake-up so that other messages get their turn.
  // A drain started from inside `apply` (a nested message loop) returns false at once and
  // leaves the work to the outer one, so the order holds.
  bool Drain(const std::function<void(const ServiceEvent&)>& apply,
             const std::function<bool()>& keepGoing);

  // User-interface thread, when the frame goes: frees what is queued, and every later Raise is
  // dropped, so nothing is applied after the frame is gone.
  void Close();

  // Events raised and not yet applied; user-interface thread (tests and the benchmark).
  std::size_t Backlog() const;

  // Sequence marks, for a drain that must apply everything raised up to a moment. Mark: the
  // number of events queued so far (any thread). Consumed: the number of them that drains have
  // taken off the queue, applied or dropped (user-interface thread). Events are taken in the
  // order raised, so every event raised before a mark has been taken once Consumed reaches it.
  std::uint64_t Mark() const;
  std::uint64_t Consumed() const { return consumed_; }

 private:
  mutable std::mutex mutex_;
  std::vector<ServiceEvent> queue_;  // guarded by mutex_
  bool wakeUpPending_ = false;       // guarded by mutex_
  bool closed_ = false;              // guarded by mutex_
  std::uint64_t queued_ = 0;         // guarded by mutex_
  const std::atomic<bool>& ignoring_;
  // The batch being applied: user-interface thread only.
  std::vector<ServiceEvent> taken_;
  std::size_t next_ = 0;
  std::uint64_t consumed_ = 0;
  bool draining_ = false;
  bool closedHere_ = false;
};

}  // namespace vesk
