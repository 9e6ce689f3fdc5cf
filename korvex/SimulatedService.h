#pragma once
// The simulated recorder service behind the stand-in Korvex.dll: raises the service's events on
// threads of its own, as a real agent would, and obeys control commands so that tests and
// demonstrations can make any event happen. Platform-free; the DLL adds the pipe and the paths.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "korvex/CallLog.h"
#include "korvex/CommentLog.h"
#include "korvex/ControlCommand.h"
#include "korvex/EventScheduler.h"
#include "korvex/Scenario.h"
#include "service/IServiceControl.h"
#include "SivrelVersion.h"

namespace korvex {

struct SimulatorOptions {
  std::string commentLogPath;
  std::string callLogPath;          // a file the calls are appended to as well, if not empty
  Scenario scenario;                // played from each Start
  std::uint32_t connectStepMs = 500;  // Disconnected, Connected, Authorized, then Monitored
  std::uint32_t uploadStepMs = 300;   // between upload steps after a recording stops
};

class SimulatedService : public vesk::IServiceControl {
 public:
  // The simulated service reports the product version it ships with.
  static constexpr const char* kVersion = SIVREL_VERSION_TEXT;

  explicit SimulatedService(SimulatorOptions options);
  SimulatedService(const SimulatedService&) = delete;
  SimulatedService& operator=(const SimulatedService&) = delete;

  // The control channel. Safe on any thread; an event is delivered before the answer returns.
  Answer Execute(const ControlCommand& command);
  Answer ExecuteLine(const std::string& line);
  const CallLog& Calls() const { return calls_; }

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
  // Stops, waits for every running callback, and frees the object: no callback runs after it.
  void Release() override;
  const vesk::ServiceSettings* GetSettings() override;

 protected:
  virtual ~SimulatedService();

 private:
  // Calls `slot` with `args` unless the service is stopped; Stop waits for such calls to return.
  template <class Slot, class... Args>
  bool Deliver(const Slot& slot, const Args&... args);
  void StopService();
  bool Running() const;
  bool RaiseConnection(std::uint32_t state);
  bool RaiseRecording(std::uint32_t kind);
  bool RaiseUpload(unsigned char percent);
  void ScheduleStartSequence();
  void ScheduleUpload();

  SimulatorOptions options_;
  CallLog calls_;
  CommentLog commentLog_;
  vesk::ServiceSettings settings_;

  mutable std::mutex mutex_;
  std::condition_variable idle_;
  bool running_ = false;
  int inFlight_ = 0;  // callbacks running now
  bool recording_ = false;
  bool paused_ = false;
  std::string recordingId_;  // of the latest StartRecording, for the comment log
  std::atomic<std::uint32_t> sequence_{0};
  std::function<void(const vesk::model::connection::State&)> connectionState_;
  std::function<void(const vesk::model::media::RecordingState&)> recordingState_;
  std::function<void(unsigned char)> uploadProgress_;
  std::function<void(bool)> monitored_;
  std::function<void()> settingsChanged_;
  std::function<void()> shutdown_;
  std::function<void()> updated_;
  std::function<void(const std::string&)> notification_;

  // Last, so that it is destroyed first: its thread runs actions that use the members above.
  EventScheduler scheduler_;
};

}  // namespace korvex
