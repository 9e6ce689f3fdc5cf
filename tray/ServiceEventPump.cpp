#include "tray/ServiceEventPump.h"

#include <utility>

namespace {

// A drain gives the message loop a turn after this long; the rest follows at the next wake-up.
constexpr LONGLONG kDrainSliceMicroseconds = 8000;
constexpr int kEventsBetweenClockReads = 64;

BOOL RealPostMessage(void*, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::PostMessageA(window, message, wParam, lParam);
}

BOOL RealSendNotifyMessage(void*, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::SendNotifyMessageA(window, message, wParam, lParam);
}

LONGLONG RealNowMicroseconds(void*) {
  static const LONGLONG frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f.QuadPart > 0 ? f.QuadPart : 1;
  }();
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return now.QuadPart / frequency * 1000000 + now.QuadPart % frequency * 1000000 / frequency;
}

}  // namespace

EventPumpEdge::EventPumpEdge()
    : postMessage(&RealPostMessage),
      sendNotifyMessage(&RealSendNotifyMessage),
      nowMicroseconds(&RealNowMicroseconds) {}

ServiceEventPump::ServiceEventPump(const EventPumpEdge& edge) : edge_(edge) {}

void ServiceEventPump::Attach(HWND window, ServiceEventTarget* target) {
  target_ = target;
  window_.store(window);
}

void ServiceEventPump::Detach() {
  if (HWND window = window_.exchange(nullptr)) ::KillTimer(window, kRetryTimer);
  queue_.Close();
}

void ServiceEventPump::Raise(vesk::ServiceEvent event) {
  if (queue_.Raise(std::move(event))) PostWakeUp();
}

void ServiceEventPump::PostWakeUp() {
  const HWND window = window_.load();
  if (!window) {
    queue_.WakeUpLost();
    return;
  }
  if (edge_.postMessage(edge_.context, window, WM_SERVICE_EVENTS, 0, 0)) return;
  // The posted-message queue is full. The wake-up stays marked pending, so no other thread
  // tries to post meanwhile, and comes another way:
  // - on the window's own thread (a drain that yields) by the window's timer, which needs no
  //   room in the queue;
  // - on a service thread, which may not arm a timer on a window of another thread, as a sent
  //   message: SendNotifyMessage returns at once for another thread's window, and sent messages
  //   do not count against the posted-message limit.
  bool wakeUp;
  if (::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId()) {
    wakeUp = ::SetTimer(window, kRetryTimer, kRetryMs, nullptr) != 0;
  } else {
    wakeUp = edge_.sendNotifyMessage(edge_.context, window, WM_SERVICE_EVENTS, 0, 0) != FALSE;
  }
  if (!wakeUp) queue_.WakeUpLost();
}

bool ServiceEventPump::OnTimer(UINT_PTR timerId) {
  if (timerId != kRetryTimer) return false;
  const HWND window = window_.load();
  if (window) ::KillTimer(window, kRetryTimer);
  Drain(0);
  if (closeOwed_ && window) {
    closeOwed_ = false;
    // Dispatched from the loop like the close that could not be posted.
    ::SendMessageA(window, WM_CLOSE, 0, 0);
  }
  return true;
}

void ServiceEventPump::PostClose() {
  const HWND window = window_.load();
  if (!window) return;
  // The close itself happens when the message is dispatched, after the events before it.
  if (edge_.postMessage(edge_.context, window, WM_CLOSE, 0, 0)) return;
  closeOwed_ = true;
  ::SetTimer(window, kRetryTimer, kRetryMs, nullptr);
}

void ServiceEventPump::Drain(std::uint64_t through) {
  if (!target_) return;
  const LONGLONG sliceEnd = edge_.nowMicroseconds(edge_.context) + kDrainSliceMicroseconds;
  int untilClockRead = kEventsBetweenClockReads;
  ServiceEventTarget* target = target_;
  target->BeginPass();
  const bool more = queue_.Drain(
      [target](const vesk::ServiceEvent& event) { target->ApplyServiceEvent(event); },
      [&] {
        if (queue_.Consumed() < through) return true;
        if (--untilClockRead > 0) return true;
        untilClockRead = kEventsBetweenClockReads;
        return edge_.nowMicroseconds(edge_.context) < sliceEnd;
      });
  // Also when yielding: what the pass applied shows before the message loop gets its turn.
  target->EndPass();
  if (more) PostWakeUp();
}
