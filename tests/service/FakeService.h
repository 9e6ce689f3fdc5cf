#pragma once
// A recorder service for the adapter's tests: records every call with its thread, raises events
// from threads of its own, and keeps no callback running after Release returns.
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "service/IServiceControl.h"

namespace sivrel_test {

class FakeService final : public vesk::IServiceControl {
 public:
  struct Call {
    std::string name;
    std::string argument;
    std::thread::id thread;
  };

  FakeService();
  ~FakeService();

  // What the service has been asked, in order (test markers added with Note included).
  std::vector<Call> Calls() const;
  std::vector<std::string> CallNames() const;
  // Calls of one name, their arguments in order.
  std::vector<std::string> ArgumentsOf(const std::string& name) const;
  int CountOf(const std::string& name) const;
  void Note(const std::string& marker);
  // Waits until `name` has been called `count` times; false after ten seconds.
  bool WaitForCount(const std::string& name, int count);

  // Raising on the calling thread: each calls the subscribed callable, if any.
  void RaiseConnectionState(vesk::model::connection::State state);
  void RaiseRecordingState(std::uint32_t kind);
  void RaiseUploadProgress(unsigned char percent);
  void RaiseMonitored(bool monitored);
  void RaiseSettingsChanged();
  void RaiseShutdown();
  void RaiseUpdated();
  void RaiseNotification(const std::string& text);
  // Runs `raise` on a new thread of the service and waits for it; returns that thread's id.
  std::thread::id RaiseOnOwnThread(const std::function<void(FakeService&)>& raise);
  // Keeps `threads` threads raising every kind of event until StopStorm or Release.
  void StartStorm(int threads);
  void StopStorm();
  long StormEvents() const { return stormEvents_.load(); }

  // The payloads last raised, so that tests can check the adapter passes them by reference.
  std::atomic<const vesk::model::connection::State*> lastConnectionState{nullptr};
  std::atomic<const vesk::model::media::RecordingState*> lastRecordingState{nullptr};
  std::atomic<const std::string*> lastNotification{nullptr};

  vesk::ServiceSettings settings;
  const char* version = "5.4.0";
  const char* textFilePath = "C:\\Temp\\comments.txt";
  std::function<void()> onRelease;  // runs inside Release, before it records the call
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
  F Subscription(const F& slot) const {
    std::lock_guard<std::mutex> guard(mutex_);
    return slot;
  }

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Call> calls_;
  std::function<void(const vesk::model::connection::State&)> connectionState_;
  std::function<void(const vesk::model::media::RecordingState&)> recordingState_;
  std::function<void(unsigned char)> uploadProgress_;
  std::function<void(bool)> monitored_;
  std::function<void()> settingsChanged_;
  std::function<void()> shutdown_;
  std::function<void()> updated_;
  std::function<void(const std::string&)> notification_;
  std::vector<std::thread> storm_;
  std::atomic<bool> storming_{false};
  std::atomic<long> stormEvents_{0};
  std::atomic<bool> released_{false};
};

}  // namespace sivrel_test
