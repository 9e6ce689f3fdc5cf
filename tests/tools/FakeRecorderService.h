#pragma once
// The recorder service of the adapter's and the tray's tests. It records every call the client
// makes with its thread; raises events on a thread of its own, in the order it is handed them,
// or on the caller's thread; and, like a careful real service, its Stop and Release wait until no
// callback is running any more (so a client handler that waited for the user-interface thread
// would deadlock against it), and no callback runs after Release returns. Platform-free.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "service/IServiceControl.h"
#include "service/ServiceEdge.h"

namespace sivrel_test {

class FakeRecorderService final : public vesk::IServiceControl {
 public:
  struct Call {
    std::string name;
    std::string argument;
    std::thread::id thread;
  };

  // Profile: recording control, comments and the tray icon allowed.
  FakeRecorderService();
  ~FakeRecorderService();

  // The edge that makes the adapter take this object instead of Korvex.dll's.
  vesk::ServiceEdge Edge();
  // The flags the service reports (at creation and with SettingsChanged).
  void SetProfile(bool allowRecordingControl, bool allowComments, bool showTrayIcon);

  // Every call, in order (test markers added with Note included).
  std::vector<Call> Calls() const;
  std::vector<std::string> CallNames() const;
  // The calls after the client's set-up (GetSettings and the subscriptions left out).
  std::vector<std::string> Operations() const;
  // Arguments of the calls of one name, in order.
  std::vector<std::string> ArgumentsOf(const std::string& name) const;
  int CountOf(const std::string& name) const;
  std::thread::id ThreadOfLast(const std::string& name) const;
  void Note(const std::string& marker);
  // Waits until `name` has been called `count` times; false after ten seconds.
  bool WaitForCount(const std::string& name, int count);

  // Raising on the calling thread: each calls the subscribed callable, if any. While Stop waits
  // for running callbacks a new one waits for Stop; after Release nothing is delivered.
  void RaiseConnection(std::uint32_t state);
  void RaiseRecording(std::uint32_t kind);
  void RaiseUpload(unsigned char percent);
  void RaiseMonitored(bool monitored);
  void RaiseSettingsChanged();
  void RaiseShutdown();
  void RaiseUpdated();
  void RaiseNotification(const std::string& text);

  // Runs `raise` on the service's event thread and waits for it; answers that thread's id.
  std::thread::id OnEventThread(const std::function<void()>& raise);
  // Raising on the event thread; each returns when the client's handler has returned.
  void Connection(std::uint32_t state) { OnEventThread([&] { RaiseConnection(state); }); }
  void Recording(std::uint32_t kind) { OnEventThread([&] { RaiseRecording(kind); }); }
  void Upload(unsigned char percent) { OnEventThread([&] { RaiseUpload(percent); }); }
  void Monitored(bool monitored) { OnEventThread([&] { RaiseMonitored(monitored); }); }
  void SettingsChanged() { OnEventThread([&] { RaiseSettingsChanged(); }); }
  void Shutdown() { OnEventThread([&] { RaiseShutdown(); }); }
  void Updated() { OnEventThread([&] { RaiseUpdated(); }); }
  void Notify(const std::string& text) { OnEventThread([&] { RaiseNotification(text); }); }

  // Keeps `threads` threads raising every kind of event until StopStorm or Release.
  void StartStorm(int threads);
  void StopStorm();
  long StormEvents() const { return stormEvents_.load(); }

  // The payloads last raised, so that tests can check the adapter passes them by reference.
  std::atomic<const vesk::model::connection::State*> lastConnectionState{nullptr};
  std::atomic<const vesk::model::media::RecordingState*> lastRecordingState{nullptr};
  std::atomic<const std::string*> lastNotification{nullptr};

  vesk::ServiceSettings settings;
  const char* version = "5.4.0.77";
  const char* textFilePath = "C:\\users\\agent\\notes.txt";
  // Runs on the calling thread at the start of every call of the client, once it is recorded:
  // e.g. to raise events while the client stops or releases the service. Set it while no other
  // thread calls the service.
  std::function<void(const std::string& call)> duringCall;
  bool Released() const { return released_.load(); }

  // vesk::IServiceControl
  const char* GetVersion() override;
  const char* GetTextFilePath() override;
  void Start() override;
  void Stop() override;
  void StartRecording(const std::string& id) override;
  void StopRecording(const std::string& id) override;
  void PauseRecording() override;
  void ResumeRecording() override;
  void AddComment(const std::string& text) override;
  void SubscribeConnectionState(
      std::function<void(const vesk::model::connection::State&)> handler) override;
  void SubscribeRecordingState(
      std::function<void(const vesk::model::media::RecordingState&)> handler) override;
  void SubscribeUploadProgress(std::function<void(unsigned char)> handler) override;
  void SubscribeMonitored(std::function<void(bool)> handler) override;
  void SubscribeSettingsChanged(std::function<void()> handler) override;
  void SubscribeShutdown(std::function<void()> handler) override;
  void SubscribeUpdated(std::function<void()> handler) override;
  void SubscribeNotification(std::function<void(const std::string&)> handler) override;
  void Release() override;
  const vesk::ServiceSettings* GetSettings() override;

 private:
  void Record(const std::string& name, const std::string& argument = std::string());
  template <class F>
  void Subscribe(const char* name, F& slot, F handler);
  // Calls the subscribed callable in `slot` with `args`, counted as a running callback.
  template <class F, class... Args>
  void Deliver(const F& slot, const Args&... args);
  void WaitForNoCallback();
  void EventThread();

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Call> calls_;
  int running_ = 0;
  bool stopping_ = false;
  std::atomic<bool> released_{false};

  std::function<void(const vesk::model::connection::State&)> connection_;
  std::function<void(const vesk::model::media::RecordingState&)> recording_;
  std::function<void(unsigned char)> upload_;
  std::function<void(bool)> monitored_;
  std::function<void()> settingsChanged_;
  std::function<void()> shutdown_;
  std::function<void()> updated_;
  std::function<void(const std::string&)> notification_;

  std::vector<std::thread> storm_;
  std::atomic<bool> storming_{false};
  std::atomic<long> stormEvents_{0};

  // The event thread and its task list.
  std::mutex taskMutex_;
  std::condition_variable taskReady_;
  std::deque<std::function<void()>> tasks_;
  bool stopThread_ = false;
  std::thread thread_;
};

}  // namespace sivrel_test
