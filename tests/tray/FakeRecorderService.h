#pragma once
// A recorder service for the tray's Windows tests. It raises its events on a thread of its own
// (the way a real service does), in the order they are handed to it; records every call the
// client makes; and, like a careful real service, its Stop and Release wait until no callback
// is running any more (so a client handler that waited for the user-interface thread would
// deadlock against it).
#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "service/IServiceControl.h"
#include "service/ServiceEdge.h"

namespace traytest {

class FakeRecorderService final : public vesk::IServiceControl {
 public:
  FakeRecorderService();
  ~FakeRecorderService();

  // The edge that makes the adapter take this object instead of Korvex.dll's.
  vesk::ServiceEdge Edge();

  // Profile flags the service reports (at creation and with SettingsChanged).
  void SetProfile(bool allowRecordingControl, bool allowComments, bool showTrayIcon);

  // Raising on the service's own event thread, in order; each returns when the event has been
  // delivered to the client (the client's handler has returned).
  void Connection(std::uint32_t state);
  void Recording(std::uint32_t kind);
  void Upload(unsigned char percent);
  void Monitored(bool monitored);
  void SettingsChanged();
  void Shutdown();
  void Updated();
  void Notify(const std::string& text);
  // Runs `raise` on the event thread and waits for it.
  void OnEventThread(const std::function<void()>& raise);
  // Raising on the calling thread (storm tests raise from threads of their own).
  void RaiseConnection(std::uint32_t state);
  void RaiseRecording(std::uint32_t kind);
  void RaiseUpload(unsigned char percent);
  void RaiseNotification(const std::string& text);
  void RaiseMonitored(bool monitored);
  void RaiseShutdown();

  // What the client asked, in order: "Start", "Stop", "StartRecording <id>", "AddComment <text>".
  std::vector<std::string> Calls() const;
  int CountOf(const std::string& name) const;
  std::vector<std::string> ArgumentsOf(const std::string& name) const;
  bool Released() const { return released_.load(); }
  DWORD ThreadOfLast(const std::string& name) const;

  // Run inside Stop (before it waits), e.g. to raise events while the client restarts.
  std::function<void()> duringStop;

  std::string version = "5.4.0.77";
  std::string textFilePath = "C:\\users\\agent\\notes.txt";

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
  struct CallRecord {
    std::string text;
    DWORD thread;
  };
  void Record(const std::string& text);
  // Calls `deliver` unless released, counted as a running callback meanwhile.
  void Deliver(const std::function<void()>& deliver);
  void WaitForNoCallback();
  void EventThread();

  mutable std::mutex mutex_;
  std::condition_variable idle_;
  std::vector<CallRecord> calls_;
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

  vesk::ServiceSettings settings_;

  // The event thread and its task list.
  std::mutex taskMutex_;
  std::condition_variable taskReady_;
  std::deque<std::function<void()>> tasks_;
  bool stopThread_ = false;
  std::thread thread_;
};

}  // namespace traytest
