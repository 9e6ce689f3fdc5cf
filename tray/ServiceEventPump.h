#pragma once
// Carries the recorder service's events from the service's threads to the user-interface
// thread, in the order raised. Raising threads only queue the event and post one wake-up
// message; the user-interface thread drains the queue and hands each event to its target. No
// raising thread ever waits for the user-interface thread, so a service whose Stop waits for its
// running callbacks cannot deadlock the client.
//
// A drain gives the message loop a turn once its time slice is over, so that an event storm
// cannot keep input and paint waiting, except while events raised before a mark are still to be
// applied: Restart and close rely on that (DrainRaisedSoFar).
#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "service/ServiceEvent.h"
#include "service/ServiceEventQueue.h"

// The wake-up of the service-event queue: at most one is on its way at a time.
constexpr UINT WM_SERVICE_EVENTS = WM_APP + 5;

// The pump's edge to the system: the wake-up (and the close a shutdown request posts), the
// wake-up that does not need room in the posted-message queue, and the clock that times a
// drain's slice. Tests refuse posts or end every slice.
struct EventPumpEdge {
  BOOL (*postMessage)(void* context, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  BOOL (*sendNotifyMessage)(void* context, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LONGLONG (*nowMicroseconds)(void* context);
  void* context = nullptr;
  EventPumpEdge();
};

// Where the drained events go, on the user-interface thread. A pass is one drain: the target may
// hold what it tells the shell until the pass ends.
class ServiceEventTarget {
 public:
  virtual void BeginPass() = 0;
  virtual void ApplyServiceEvent(const vesk::ServiceEvent& event) = 0;
  virtual void EndPass() = 0;

 protected:
  ~ServiceEventTarget() = default;
};

class ServiceEventPump {
 public:
  // Stands in for a wake-up (or a close) that the user-interface thread could not post; fires
  // once.
  static constexpr UINT_PTR kRetryTimer = 13;
  static constexpr UINT kRetryMs = 10;

  explicit ServiceEventPump(const EventPumpEdge& edge = EventPumpEdge());
  ServiceEventPump(const ServiceEventPump&) = delete;
  ServiceEventPump& operator=(const ServiceEventPump&) = delete;

  // User-interface thread: events go to `target`, wake-ups to `window` (whose message map sends
  // WM_SERVICE_EVENTS to OnWakeUp and its WM_TIMER to OnTimer).
  void Attach(HWND window, ServiceEventTarget* target);
  // User-interface thread, when the window goes: what is queued is freed and later events are
  // dropped, so nothing is applied after the window is gone.
  void Detach();

  // Any thread: the adapter's sink.
  void Raise(vesk::ServiceEvent event);

  void OnWakeUp() { Drain(0); }
  // True when `timerId` was the pump's own.
  bool OnTimer(UINT_PTR timerId);

  // Every event raised before this call takes effect before it returns, however many.
  void DrainRaisedSoFar() { Drain(queue_.Mark()); }

  // Connection, recording and upload events raised while `work` runs are dropped, and so are
  // those raised before it that have not taken effect yet; the others still take effect.
  template <class Work>
  void WhileIgnoring(Work work) {
    DrainRaisedSoFar();
    ignoring_ = true;
    DrainRaisedSoFar();
    work();
    ignoring_ = false;
  }
  // The program is closing: connection, recording and upload events are dropped from now on.
  void IgnoreForGood() { ignoring_ = true; }

  // The window's close, after every event raised before the shutdown request; the retry timer
  // brings it when the message queue is full.
  void PostClose();

 private:
  void Drain(std::uint64_t through);
  void PostWakeUp();

  EventPumpEdge edge_;
  std::atomic<bool> ignoring_{false};
  vesk::ServiceEventQueue queue_{ignoring_};
  // Null until attached and once detached; raising threads read it.
  std::atomic<HWND> window_{nullptr};
  ServiceEventTarget* target_ = nullptr;
  bool closeOwed_ = false;
};
