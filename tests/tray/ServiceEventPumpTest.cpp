// The service-event pump under Wine, between raising threads and a real window's message loop,
// with a target that records every event it is handed: a storm from many threads while every
// drain yields arrives whole and in each thread's order, on the user-interface thread. The
// frame's own tests see only what reaches the shell, which batches.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <thread>
#include <vector>

#include "TrayTestSupport.h"
#include "tools/WinTestSupport.h"
#include "tray/ServiceEventPump.h"

namespace {

// A message-only window of this thread that hands the pump its messages, as the frame does,
// and the pump's target, which records what it applies.
class PumpBed : private ServiceEventTarget {
 public:
  PumpBed() : pump(recorder.Edges(vesk::ServiceEdge()).events) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &PumpBed::WindowProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "SivrelPumpTestWindow";
    ::RegisterClassA(&wc);  // fails harmlessly when already registered
    window_ = ::CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                wc.hInstance, nullptr);
    ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    pump.Attach(window_, this);
  }
  ~PumpBed() {
    pump.Detach();
    ::DestroyWindow(window_);
  }

  traytest::EdgeRecorder recorder;  // the pump's posts and clock go through it
  ServiceEventPump pump;
  std::vector<std::string> applied;  // "text" of each notice, "monitored" otherwise
  int passes = 0;
  bool offThread = false;  // an event was applied on another thread

 private:
  void BeginPass() override { ++passes; }
  void ApplyServiceEvent(const vesk::ServiceEvent& event) override {
    applied.push_back(event.kind == vesk::ServiceEventKind::Notification ? event.text : "monitored");
    if (::GetCurrentThreadId() != ::GetWindowThreadProcessId(window_, nullptr)) offThread = true;
  }
  void EndPass() override {}

  static LRESULT CALLBACK WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<PumpBed*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (self && msg == WM_SERVICE_EVENTS) {
      self->pump.OnWakeUp();
      return 0;
    }
    if (self && msg == WM_TIMER && self->pump.OnTimer(wParam)) return 0;
    return ::DefWindowProcA(hWnd, msg, wParam, lParam);
  }

  HWND window_ = nullptr;
};

TEST(ServiceEventPump, AStormFromManyThreadsArrivesWholeAndInEachThreadsOrder) {
  constexpr int kThreads = 6;
  constexpr int kRounds = 1500;
  PumpBed bed;
  // Every drain yields after its first clock reading: the storm crosses many passes, each
  // ending with a fresh wake-up.
  bed.recorder.EndEverySlice(true);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&bed, t] {
      for (int n = 0; n < kRounds; ++n) {
        bed.pump.Raise(vesk::ServiceEvent::Monitored(n % 2 == 0));
        bed.pump.Raise(vesk::ServiceEvent::Notification(std::to_string(t) + ":" + std::to_string(n)));
      }
    });
  }
  const size_t total = 2u * kThreads * kRounds;
  EXPECT_TRUE(wintest::PumpUntil([&] { return bed.applied.size() >= total; }, 30000));
  for (auto& thread : threads) thread.join();
  wintest::PumpIdle(50);
  ASSERT_EQ(bed.applied.size(), total);
  EXPECT_FALSE(bed.offThread);
  EXPECT_GT(bed.passes, static_cast<int>(total / 64)) << "the drains did not yield";
  std::map<int, std::vector<int>> byThread;
  for (const std::string& event : bed.applied) {
    if (event == "monitored") continue;
    const size_t colon = event.find(':');
    byThread[std::stoi(event.substr(0, colon))].push_back(std::stoi(event.substr(colon + 1)));
  }
  ASSERT_EQ(byThread.size(), static_cast<size_t>(kThreads));
  for (const auto& [thread, notices] : byThread) {
    ASSERT_EQ(notices.size(), static_cast<size_t>(kRounds)) << "thread " << thread;
    for (int n = 0; n < kRounds; ++n) ASSERT_EQ(notices[n], n) << "thread " << thread;
  }
}

}  // namespace
