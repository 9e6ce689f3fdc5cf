// event_bench.exe: the tray's service-event path under Wine, with the real frame, comments
// window and message loop.
//
//   latency     8 service threads raise notices at a steady pace; each notice carries its
//               sequence number, and the notification-area seam notes when the shell is told
//               it: raise to effect, median and 99th percentile.
//   throughput  8 service threads raise a mix of events flat out, each event numbered as it is
//               raised and every notice carrying its number; the events the user-interface
//               thread applies per second while it never runs dry.
//   raise       the longest time one raise kept its service thread (a lock's hold, no wait for
//               the user-interface thread).
//   floor       the same 8 threads at the same pace each post a bare message to a window on the
//               user-interface thread: the platform's own cross-thread delivery, which any
//               marshalling onto that thread pays at least. Taken in the same run, in turns with
//               the latency run at the same pace, so that both see the same load on the machine.
// Printed: p50_us, p99_us (at 20000 notices a second); floor_p50_us, floor_p99_us and the ratios
// ratio_p50, ratio_p99 of the client's path to the floor, both at 2000 a second (the floor at
// 20000 for information, see PrintLatency); events_per_s (the seam records calls in memory, so
// this measures the client's own machinery), then the same latency and throughput with the real
// notification area, for information.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <thread>
#include <vector>

#include "app/AppModule.h"
#include "app/MessageLoop.h"
#include "service/IServiceControl.h"
#include "tests/tools/NotificationArea.h"
#include "tray/MainFrame.h"

namespace {

constexpr int kThreads = 8;

LONGLONG Frequency() {
  LARGE_INTEGER f;
  ::QueryPerformanceFrequency(&f);
  return f.QuadPart;
}

LONGLONG Now() {
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return t.QuadPart;
}

// A service that only hands its subscriptions to the raising threads.
class BenchService final : public vesk::IServiceControl {
 public:
  BenchService() {
    settings_.allowRecordingControl = true;
    settings_.allowComments = true;
    settings_.showTrayIcon = true;
  }
  const char* GetVersion() override { return "bench"; }
  const char* GetTextFilePath() override { return ""; }
  void Start() override {}
  void Stop() override {}
  void StartRecording(const std::string&) override {}
  void StopRecording(const std::string&) override {}
  void PauseRecording() override {}
  void ResumeRecording() override {}
  void AddComment(const std::string&) override {}
  void SubscribeConnectionState(std::function<void(const vesk::model::connection::State&)> h) override { connection = std::move(h); }
  void SubscribeRecordingState(std::function<void(const vesk::model::media::RecordingState&)> h) override { recording = std::move(h); }
  void SubscribeUploadProgress(std::function<void(unsigned char)> h) override { upload = std::move(h); }
  void SubscribeMonitored(std::function<void(bool)> h) override { monitored = std::move(h); }
  void SubscribeSettingsChanged(std::function<void()>) override {}
  void SubscribeShutdown(std::function<void()>) override {}
  void SubscribeUpdated(std::function<void()>) override {}
  void SubscribeNotification(std::function<void(const std::string&)> h) override { notification = std::move(h); }
  void Release() override {}
  const vesk::ServiceSettings* GetSettings() override { return &settings_; }

  std::function<void(const vesk::model::connection::State&)> connection;
  std::function<void(const vesk::model::media::RecordingState&)> recording;
  std::function<void(unsigned char)> upload;
  std::function<void(bool)> monitored;
  std::function<void(const std::string&)> notification;

 private:
  vesk::ServiceSettings settings_;
};

vesk::IServiceControl* HandOut(void* context) { return static_cast<vesk::IServiceControl*>(context); }

// What the notification-area seam saw; its address is the tray edge's context.
//
// A pass over the frame's queue applies every notice in it but tells the shell only the last;
// the others took effect at the same moment, when the pass showed its result. The queue keeps
// the order of raising, so when the seam sees a balloon every event raised before its notice
// has reached the user: in the latency run, whose notices are raised in sequence order under one
// lock, every notice up to the balloon's number; in the throughput run, whose events take their
// numbers as they are raised, every event up to the balloon's number (give or take the few
// raised at the same moment on other threads).
struct ShellWatch {
  std::atomic<bool> passToShell{false};
  // The latency run: raise time of every notice "#<sequence>", and the latencies taken.
  std::vector<LONGLONG> raisedAt;
  size_t reported = 0;              // user-interface thread only
  std::vector<LONGLONG> latencies;  // user-interface thread only
  // The throughput run: notices "@<number>"; the highest number shown, plus one.
  std::atomic<long long> shown{0};
};

BOOL WatchedShellNotifyIcon(void* context, DWORD message, PNOTIFYICONDATAA data) {
  ShellWatch& watch = *static_cast<ShellWatch*>(context);
  if (message == NIM_MODIFY && (data->uFlags & NIF_REALTIME)) {
    if (data->szInfo[0] == '#') {
      const LONGLONG now = Now();
      const size_t sequence = std::strtoull(data->szInfo + 1, nullptr, 10);
      for (; watch.reported <= sequence && watch.reported < watch.raisedAt.size(); ++watch.reported) {
        watch.latencies.push_back(now - watch.raisedAt[watch.reported]);
      }
    } else if (data->szInfo[0] == '@') {
      const long long number = std::strtoll(data->szInfo + 1, nullptr, 10);
      if (number + 1 > watch.shown.load()) watch.shown.store(number + 1);
    }
  }
  return watch.passToShell ? ::Shell_NotifyIconA(message, data) : TRUE;
}

double Percentile(std::vector<LONGLONG> values, double fraction) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t index = std::min(values.size() - 1, static_cast<size_t>(fraction * values.size()));
  return static_cast<double>(values[index]);
}

struct Result {
  double p50Us = 0, p99Us = 0, eventsPerSecond = 0, raiseMaxUs = 0;
  size_t samples = 0, notices = 0, passes = 0;
  std::vector<LONGLONG> latencies;  // raise (or post) to effect, in performance-counter ticks
};

// Takes `latencies` (ticks of a counter at `frequency`) into `result` with their percentiles.
void TakeLatencies(Result& result, std::vector<LONGLONG> latencies, double frequency) {
  result.p50Us = Percentile(latencies, 0.50) * 1e6 / frequency;
  result.p99Us = Percentile(latencies, 0.99) * 1e6 / frequency;
  result.samples = latencies.size();
  result.latencies = std::move(latencies);
}

// The floor's window (whose user data points to it): the time from each post to its arrival in
// the window procedure, by sequence number. User-interface thread only, apart from postedAt,
// which the posting threads fill before they post.
struct FloorWatch {
  std::vector<LONGLONG> postedAt;
  std::vector<LONGLONG> latencies;
};

constexpr UINT WM_FLOOR_POST = WM_APP + 1;

LRESULT CALLBACK FloorProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_FLOOR_POST) {
    auto* watch = reinterpret_cast<FloorWatch*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (watch && wParam < watch->postedAt.size()) {
      watch->latencies.push_back(Now() - watch->postedAt[wParam]);
    }
    return 0;
  }
  return ::DefWindowProcA(hWnd, msg, wParam, lParam);
}

// Spreads `threads` posting threads over `period` ticks and runs `raise(sequence)` for `perThread`
// of them each, numbered in the order they are made under one lock, at the steady pace the
// latency runs use. The longest single raise is returned.
LONGLONG PacedRaises(LONGLONG period, int perThread, const std::function<void(size_t)>& raise) {
  std::atomic<LONGLONG> raiseMax{0};
  std::mutex order;
  size_t nextSequence = 0;
  const LONGLONG start = Now() + Frequency() / 20;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      // Threads are spread over the period so that their notices do not all come at once.
      LONGLONG next = start + period * t / kThreads;
      for (int i = 0; i < perThread; ++i) {
        // Sleeping, not spinning: eight spinning threads would starve the two cores the
        // user-interface thread and the wineserver need.
        while (Now() < next) ::Sleep(1);
        next += period;
        std::lock_guard<std::mutex> guard(order);
        const LONGLONG before = Now();
        raise(nextSequence++);
        const LONGLONG took = Now() - before;
        LONGLONG seen = raiseMax.load();
        while (took > seen && !raiseMax.compare_exchange_weak(seen, took)) {
        }
      }
    });
  }
  for (auto& t : threads) t.join();
  return raiseMax.load();
}

// Runs on a thread of its own while the user-interface thread runs the frame's loop.
class Driver {
 public:
  Driver(BenchService& service, CMainFrame& frame, ShellWatch& watch, FloorWatch& floor)
      : service_(service), frame_(frame), watch_(watch), floor_(floor), f_(Frequency()) {}

  // Notices at `perThreadPerSecond` from each thread for `seconds`.
  Result Latency(int perThreadPerSecond, double seconds) {
    const int perThread = static_cast<int>(perThreadPerSecond * seconds);
    ShellWatch& watch = watch_;
    RunOnUi([&] {
      watch.raisedAt.assign(static_cast<size_t>(perThread) * kThreads, 0);
      watch.latencies.clear();
      watch.reported = 0;
    });
    // Notices are numbered in the order they enter the frame's queue: the ticket and the raise
    // go together under PacedRaises' lock (the raising threads still contend for the frame's
    // lock in the storm run).
    const LONGLONG raiseMax = PacedRaises(f_ / perThreadPerSecond, perThread, [&](size_t sequence) {
      const std::string text = "#" + std::to_string(sequence);
      watch.raisedAt[sequence] = Now();
      service_.notification(text);
    });
    // Every notice's balloon comes: the last of each pass is shown.
    size_t reported = 0;
    while (reported < watch.raisedAt.size()) {
      RunOnUi([&] { reported = watch.reported; });
      if (reported < watch.raisedAt.size()) ::Sleep(5);
    }
    Result result;
    RunOnUi([&] { TakeLatencies(result, watch.latencies, static_cast<double>(f_)); });
    result.notices = watch.raisedAt.size();
    result.passes = 0;
    result.raiseMaxUs = static_cast<double>(raiseMax) * 1e6 / f_;
    return result;
  }

  // The floor: bare posts to `floorWindow` at the latency run's pace, post to arrival.
  Result FloorLatency(HWND floorWindow, int perThreadPerSecond, double seconds) {
    const int perThread = static_cast<int>(perThreadPerSecond * seconds);
    FloorWatch& watch = floor_;
    const size_t total = static_cast<size_t>(perThread) * kThreads;
    RunOnUi([&] {
      watch.latencies.clear();
      watch.postedAt.assign(total, 0);
    });
    const LONGLONG raiseMax = PacedRaises(f_ / perThreadPerSecond, perThread, [&](size_t sequence) {
      watch.postedAt[sequence] = Now();
      ::PostMessageA(floorWindow, WM_FLOOR_POST, sequence, 0);
    });
    // Sent messages (RunOnUi) overtake posted ones, so the count is asked until every post has
    // arrived.
    size_t arrived = 0;
    for (int tries = 0; tries < 1000 && arrived < total; ++tries) {
      RunOnUi([&] { arrived = watch.latencies.size(); });
      if (arrived < total) ::Sleep(5);
    }
    Result result;
    RunOnUi([&] { TakeLatencies(result, watch.latencies, static_cast<double>(f_)); });
    result.notices = total;
    result.raiseMaxUs = static_cast<double>(raiseMax) * 1e6 / f_;
    return result;
  }

  // A mix of events flat out for `seconds`; what the user-interface thread applied meanwhile.
  // `recording`: every fifth event starts or stops a recording, which reshapes the comments
  // window (its controls shown and hidden, new faces): the costliest event to apply.
  Result Throughput(double seconds, bool recording = false) {
    std::atomic<bool> stop{false};
    std::atomic<LONGLONG> raiseMax{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&] {
        for (unsigned n = 0; !stop.load(std::memory_order_relaxed); ++n) {
          const long long number = numbered_.fetch_add(1);
          const LONGLONG before = Now();
          if (recording && n % 5 == 4) {
            vesk::model::media::RecordingState state;
            state.kind = (n / 5) % 2 ? 1 : 0;
            service_.recording(state);
            Max(raiseMax, Now() - before);
            continue;
          }
          switch (n % 4) {
            case 0: {
              const auto state = (n / 4) % 2 ? vesk::model::connection::Authorized
                                             : vesk::model::connection::Connected;
              service_.connection(state);
              break;
            }
            case 1: service_.monitored((n / 4) % 2 == 0); break;
            case 2: service_.upload(static_cast<unsigned char>(n % 100)); break;
            default: service_.notification("@" + std::to_string(number)); break;
          }
          Max(raiseMax, Now() - before);
          // Keep the backlog within reach: a service cannot outrun the client for ever, and
          // the measure is what the client takes while it always has work.
          while (!stop.load(std::memory_order_relaxed) && Backlog() > 200000) ::Sleep(0);
        }
      });
    }
    // Warm-up, then count what is applied over the window.
    ::Sleep(200);
    const size_t first = Applied();
    const LONGLONG begin = Now();
    const DWORD windowMs = static_cast<DWORD>(seconds * 1000);
    ::Sleep(windowMs);
    const size_t last = Applied();
    const LONGLONG end = Now();
    const size_t backlogAtEnd = Backlog();
    stop = true;
    for (auto& t : threads) t.join();
    // A last notice: once it shows, the rest has taken effect.
    const long long fence = numbered_.fetch_add(1);
    service_.notification("@" + std::to_string(fence));
    while (watch_.shown.load() <= fence) ::Sleep(5);
    Result result;
    result.eventsPerSecond = static_cast<double>(last - first) * f_ / static_cast<double>(end - begin);
    result.raiseMaxUs = static_cast<double>(raiseMax.load()) * 1e6 / f_;
    if (backlogAtEnd == 0) std::fprintf(stderr, "event_bench: the client ran dry; rate is the offered one\n");
    return result;
  }

  void Close() { ::PostMessageA(frame_.m_hWnd, WM_CLOSE, 0, 0); }

 private:
  static void Max(std::atomic<LONGLONG>& max, LONGLONG value) {
    LONGLONG seen = max.load();
    while (value > seen && !max.compare_exchange_weak(seen, value)) {
    }
  }

  // What the watches keep for the user-interface thread is read there.
  void RunOnUi(const std::function<void()>& work) {
    std::function<void()> copy = work;
    ::SendMessageTimeoutA(runner_, WM_APP, 0, reinterpret_cast<LPARAM>(&copy), SMTO_NORMAL, 60000,
                          nullptr);
  }
  // Events of the throughput run that have taken effect, and those still waiting.
  size_t Applied() const { return static_cast<size_t>(watch_.shown.load()); }
  size_t Backlog() const {
    const long long waiting = numbered_.load() - watch_.shown.load();
    return waiting > 0 ? static_cast<size_t>(waiting) : 0;
  }

 public:
  HWND runner_ = nullptr;  // a window of the user-interface thread that runs RunOnUi's work

 private:
  BenchService& service_;
  CMainFrame& frame_;
  ShellWatch& watch_;
  FloorWatch& floor_;
  LONGLONG f_;
  std::atomic<long long> numbered_{0};  // events of the throughput runs raised so far
};

// The client's path and the floor at one pace, taking turns twice, so that a change of load on
// the machine during the run falls on both alike; the samples of both turns are pooled.
void PairedLatency(Driver& driver, HWND floorWindow, int perThreadPerSecond, double turnSeconds,
                   Result& path, Result& bare) {
  for (int turn = 0; turn < 2; ++turn) {
    for (bool isFloor : {false, true}) {
      Result run = isFloor ? driver.FloorLatency(floorWindow, perThreadPerSecond, turnSeconds)
                           : driver.Latency(perThreadPerSecond, turnSeconds);
      Result& into = isFloor ? bare : path;
      into.latencies.insert(into.latencies.end(), run.latencies.begin(), run.latencies.end());
      into.samples += run.samples;
      into.notices += run.notices;
      into.raiseMaxUs = std::max(into.raiseMaxUs, run.raiseMaxUs);
    }
  }
  const double f = static_cast<double>(Frequency());
  for (Result* r : {&path, &bare}) TakeLatencies(*r, std::move(r->latencies), f);
}

double Ratio(double a, double b) { return b > 0 ? a / b : 0.0; }

// The floor is taken where the platform keeps up with bare posts: at 20000 a second each post's
// round trips to the wineserver (one for the poster, one for the receiver) outrun this machine,
// the floor's queue grows for the whole run and its latency is the backlog's, not delivery's;
// the client's path, which posts one wake-up per batch, does not fall behind there. So the
// ratios compare the client's path with the floor at 2000 a second, and the 20000 figures of
// the floor are printed for information.
void PrintLatency(const Result& fast, const Result& fastFloor, const Result& paced,
                  const Result& pacedFloor) {
  std::printf("p50_us %.1f\n", fast.p50Us);
  std::printf("p99_us %.1f\n", fast.p99Us);
  std::printf("floor_p50_us %.1f\n", pacedFloor.p50Us);
  std::printf("floor_p99_us %.1f\n", pacedFloor.p99Us);
  std::printf("ratio_p50 %.2f\n", Ratio(paced.p50Us, pacedFloor.p50Us));
  std::printf("ratio_p99 %.2f\n", Ratio(paced.p99Us, pacedFloor.p99Us));
  std::printf("path_2000_p50_us %.1f\n", paced.p50Us);
  std::printf("path_2000_p99_us %.1f\n", paced.p99Us);
  std::printf("floor_20000_p50_us %.1f\n", fastFloor.p50Us);
  std::printf("floor_20000_p99_us %.1f\n", fastFloor.p99Us);
  std::printf("ratio_20000_p50 %.2f\n", Ratio(fast.p50Us, fastFloor.p50Us));
  std::printf("ratio_20000_p99 %.2f\n", Ratio(fast.p99Us, fastFloor.p99Us));
  const bool behind = fastFloor.p50Us > 10 * pacedFloor.p50Us;
  std::printf("# floor: %zu + %zu posts arrived; at 20000/s the bare posts %s\n",
              pacedFloor.samples, fastFloor.samples,
              behind ? "fell behind (a backlog, not a floor)" : "kept up");
  std::fflush(stdout);
}

LRESULT CALLBACK RunnerProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_APP) {
    (*reinterpret_cast<std::function<void()>*>(lParam))();
    return 0;
  }
  return ::DefWindowProcA(hWnd, msg, wParam, lParam);
}

}  // namespace

int main() {
  // Half of the run measures the real notification area; without it there is nothing to measure.
  if (!RequireNotificationArea()) return 2;
  g_appModule.Initialize(::GetModuleHandleA(nullptr));
  CMessageLoop loop;
  g_appModule.RegisterLoop(&loop);

  WNDCLASSA wc{};
  wc.lpfnWndProc = &RunnerProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = "SivrelEventBenchRunner";
  ::RegisterClassA(&wc);
  HWND runner = ::CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  wc.hInstance, nullptr);
  // The floor's window is made like the frame's: a hidden top-level window of this thread.
  WNDCLASSA floorClass{};
  floorClass.lpfnWndProc = &FloorProc;
  floorClass.hInstance = wc.hInstance;
  floorClass.lpszClassName = "SivrelEventBenchFloor";
  ::RegisterClassA(&floorClass);
  HWND floorWindow = ::CreateWindowExA(0, floorClass.lpszClassName, "", WS_OVERLAPPEDWINDOW,
                                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                       nullptr, nullptr, wc.hInstance, nullptr);
  FloorWatch floorWatch;
  ::SetWindowLongPtrA(floorWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&floorWatch));

  BenchService service;
  ShellWatch watch;
  FrameEdges edges;
  edges.service.getService = &HandOut;
  edges.service.context = &service;
  edges.tray.shellNotifyIcon = &WatchedShellNotifyIcon;
  edges.tray.context = &watch;
  int code = 1;
  Result seam, floor, seamPaced, floorPaced, seamThroughput, seamRecording, real, realThroughput;
  {
    CMainFrame frame(edges);
    if (!frame.CreateEx()) {
      std::fprintf(stderr, "event_bench: the frame could not be created\n");
      return 2;
    }
    Driver driver(service, frame, watch, floorWatch);
    driver.runner_ = runner;
    // Each figure is printed as soon as it is measured, so that a run that fails later still
    // reports what it got.
    std::thread control([&] {
      // 8 x 2500 = 20000 notices/s, and 8 x 250 = 2000/s, a pace the bare posts keep up
      // with on a loaded machine too.
      PairedLatency(driver, floorWindow, 2500, 1.0, seam, floor);
      PairedLatency(driver, floorWindow, 250, 2.0, seamPaced, floorPaced);
      PrintLatency(seam, floor, seamPaced, floorPaced);
      seamThroughput = driver.Throughput(2.0);
      std::printf("events_per_s %.0f\n", seamThroughput.eventsPerSecond);
      std::printf("# seam: latency of %zu of %zu notices; longest raise %.1f us (latency run),"
                  " %.1f us (storm, 8 threads on the machine's cores)\n",
                  seam.samples, seam.notices, seam.raiseMaxUs, seamThroughput.raiseMaxUs);
      std::fflush(stdout);
      seamRecording = driver.Throughput(2.0, true);
      std::printf("# with recording starts and stops in the mix: events_per_s %.0f\n",
                  seamRecording.eventsPerSecond);
      std::fflush(stdout);
      watch.passToShell = true;
      real = driver.Latency(25, 2.0);              // 200 notices/s: the shell is slow
      realThroughput = driver.Throughput(2.0);
      std::printf("real_area_p50_us %.1f\n", real.p50Us);
      std::printf("real_area_p99_us %.1f\n", real.p99Us);
      std::printf("real_area_events_per_s %.0f\n", realThroughput.eventsPerSecond);
      std::printf("# real area: latency of %zu of %zu notices\n", real.samples, real.notices);
      std::fflush(stdout);
      driver.Close();
    });
    code = loop.Run();
    control.join();
  }
  g_appModule.UnregisterLoop();
  return code == 1 ? 0 : 3;
}
