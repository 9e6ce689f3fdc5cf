// The user-interface thread's loop: filter order and consumption, idle processing, and the
// module's per-thread loop registry, with real messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "app/AppModule.h"
#include "app/MessageLoop.h"

namespace {

constexpr UINT kProbe = WM_APP + 1;

// A plain window that records which messages reached its procedure.
class RecordingWindow {
 public:
  RecordingWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &Proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "LoopTestWindow";
    ::RegisterClassA(&wc);
    m_hWnd = ::CreateWindowExA(0, "LoopTestWindow", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               wc.hInstance, nullptr);
    ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~RecordingWindow() { ::DestroyWindow(m_hWnd); }
  HWND hWnd() const { return m_hWnd; }
  std::vector<UINT> dispatched;
  HANDLE dispatchedEvent = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);

 private:
  static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<RecordingWindow*>(::GetWindowLongPtrA(h, GWLP_USERDATA));
    if (self && (m == kProbe || m == WM_MOUSEMOVE || m == WM_NCMOUSEMOVE || m == WM_PAINT ||
                 m == 0x0118 || m == WM_USER)) {
      self->dispatched.push_back(m);
      ::SetEvent(self->dispatchedEvent);
      return 0;
    }
    return ::DefWindowProcA(h, m, w, l);
  }
  HWND m_hWnd = nullptr;
};

class NamedFilter : public CMessageFilter {
 public:
  NamedFilter(std::string name, std::vector<std::string>& log, bool consumes)
      : m_name(std::move(name)), m_log(log), m_consumes(consumes) {}
  BOOL FilterMessage(MSG* msg) override {
    if (msg->message != kProbe) return FALSE;
    m_log.push_back(m_name);
    return m_consumes;
  }

 private:
  std::string m_name;
  std::vector<std::string>& m_log;
  bool m_consumes;
};

TEST(MessageLoop, FiltersAreAskedLastRegisteredFirstAndConsumptionStopsDispatch) {
  RecordingWindow window;
  std::vector<std::string> asked;
  NamedFilter first("first", asked, false);
  NamedFilter second("second", asked, true);
  NamedFilter third("third", asked, false);

  CMessageLoop loop;
  loop.AddFilter(&first);
  loop.AddFilter(&second);
  loop.AddFilter(&third);
  ::PostMessageA(window.hWnd(), kProbe, 0, 0);
  ::PostQuitMessage(5);
  EXPECT_EQ(loop.Run(), 5);

  // third (last registered) is asked first, second consumes, first is never asked.
  EXPECT_EQ(asked, (std::vector<std::string>{"third", "second"}));
  EXPECT_TRUE(window.dispatched.empty()) << "a consumed message must not be dispatched";

  // Once the consuming filter is gone, every filter sees the message and it is dispatched.
  asked.clear();
  loop.RemoveFilter(&second);
  ::PostMessageA(window.hWnd(), kProbe, 0, 0);
  ::PostQuitMessage(6);
  EXPECT_EQ(loop.Run(), 6);
  EXPECT_EQ(asked, (std::vector<std::string>{"third", "first"}));
  EXPECT_EQ(window.dispatched, std::vector<UINT>{kProbe});
  EXPECT_FALSE(loop.RemoveFilter(&second)) << "removing twice finds nothing";
}

// A filter that removes itself while the loop walks the list must not upset the walk.
TEST(MessageLoop, FilterMayRemoveItselfDuringTheWalk) {
  RecordingWindow window;
  CMessageLoop loop;
  struct SelfRemoving : CMessageFilter {
    CMessageLoop* loop = nullptr;
    int calls = 0;
    BOOL FilterMessage(MSG* msg) override {
      if (msg->message == kProbe) {
        ++calls;
        loop->RemoveFilter(this);
      }
      return FALSE;
    }
  } a, b;
  a.loop = b.loop = &loop;
  loop.AddFilter(&a);
  loop.AddFilter(&b);
  ::PostMessageA(window.hWnd(), kProbe, 0, 0);
  ::PostQuitMessage(0);
  loop.Run();
  EXPECT_EQ(a.calls, 1);
  EXPECT_EQ(b.calls, 1);
  EXPECT_TRUE(loop.m_filters.empty());
  EXPECT_EQ(window.dispatched, std::vector<UINT>{kProbe});
}

class CountingIdle : public CIdleHandler {
 public:
  BOOL OnIdle() override {
    ++calls;
    ::SetEvent(event);
    return TRUE;  // the loop ignores the answer
  }
  std::atomic<int> calls{0};
  HANDLE event = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
};

// Mouse moves, paint and the system timer arrive one at a time, each after the queue has run
// dry; only a message of another kind arms idle processing again.
TEST(MessageLoop, IdleHandlersRunOnceForABurstOfMouseMovePaintAndSystemTimer) {
  RecordingWindow window;
  CountingIdle idle;
  CMessageLoop loop;
  loop.AddIdleHandler(&idle);

  const UINT burst[] = {WM_MOUSEMOVE, WM_PAINT, 0x0118, WM_NCMOUSEMOVE, WM_MOUSEMOVE,
                        WM_PAINT,     0x0118,   WM_MOUSEMOVE, WM_MOUSEMOVE, 0x0118};
  bool timedOut = false;
  int idleAfterBurst = -1;
  std::thread poster([&] {
    auto wait = [&](HANDLE h) {
      if (::WaitForSingleObject(h, 10000) != WAIT_OBJECT_0) timedOut = true;
    };
    wait(idle.event);  // the first pass, on an empty queue at start
    for (UINT m : burst) {
      ::PostMessageA(window.hWnd(), m, 0, 0);
      wait(window.dispatchedEvent);
    }
    idleAfterBurst = idle.calls;
    ::PostMessageA(window.hWnd(), WM_USER, 0, 0);  // counts: idle runs again
    wait(idle.event);
    ::PostMessageA(window.hWnd(), WM_QUIT, 9, 0);
  });
  const int code = loop.Run();
  poster.join();

  ASSERT_FALSE(timedOut);
  EXPECT_EQ(code, 9);
  EXPECT_EQ(idleAfterBurst, 1);
  EXPECT_EQ(idle.calls, 2);
  EXPECT_EQ(window.dispatched.size(), std::size(burst) + 1);
}

TEST(MessageLoop, IdleMessageClassification) {
  for (UINT m : std::vector<UINT>{WM_MOUSEMOVE, WM_NCMOUSEMOVE, WM_PAINT, 0x0118u}) {
    MSG msg{};
    msg.message = m;
    EXPECT_FALSE(CMessageLoop::IsIdleMessage(&msg)) << m;
  }
  for (UINT m : std::vector<UINT>{WM_TIMER, WM_KEYDOWN, WM_LBUTTONDOWN, WM_COMMAND, WM_NULL, kProbe}) {
    MSG msg{};
    msg.message = m;
    EXPECT_TRUE(CMessageLoop::IsIdleMessage(&msg)) << m;
  }
}

TEST(AppModule, EachThreadFindsItsOwnLoop) {
  CAppModule module;
  EXPECT_EQ(module.CurrentLoop(), nullptr) << "no registry before Initialize";
  EXPECT_FALSE(module.RegisterLoop(nullptr));
  module.Initialize(::GetModuleHandleA(nullptr));
  EXPECT_EQ(module.GetMainThreadID(), ::GetCurrentThreadId());

  CMessageLoop mainLoop;
  CMessageLoop workerLoop;
  EXPECT_TRUE(module.RegisterLoop(&mainLoop));
  EXPECT_EQ(module.CurrentLoop(), &mainLoop);

  CMessageLoop* seenByWorker = &mainLoop;
  CMessageLoop* seenAfterRegister = nullptr;
  bool unregisteredTwice = true;
  std::thread worker([&] {
    seenByWorker = module.CurrentLoop();
    module.RegisterLoop(&workerLoop);
    seenAfterRegister = module.CurrentLoop();
    module.UnregisterLoop();
    unregisteredTwice = module.UnregisterLoop();
  });
  worker.join();
  EXPECT_EQ(seenByWorker, nullptr);
  EXPECT_EQ(seenAfterRegister, &workerLoop);
  EXPECT_FALSE(unregisteredTwice) << "a thread without an entry removes nothing";
  EXPECT_EQ(module.CurrentLoop(), &mainLoop) << "the worker's removal leaves ours";

  module.UnregisterLoop();
  EXPECT_EQ(module.CurrentLoop(), nullptr);
  module.Shutdown();
  EXPECT_EQ(module.CurrentLoop(), nullptr);
  EXPECT_FALSE(module.RegisterLoop(&mainLoop)) << "no registry after Shutdown";
}

}  // namespace
