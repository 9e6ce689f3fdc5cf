#pragma once
// The client's only owner of the recorder service: obtains it, re-raises its eight events to the
// handlers the tray frame installs, serialises start, stop, pause and resume, makes recording ids
// and runs the auto-record cycle.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "service/IServiceControl.h"
#include "service/PublishedHandler.h"
#include "service/Random15.h"
#include "service/ServiceEdge.h"
#include "service/ServiceModel.h"
#include "service/Signal.h"

namespace vesk {

class ServiceControl {
 public:
  using RecordingStateHandler = std::function<void(const model::media::RecordingState&)>;
  using UploadProgressHandler = std::function<void(unsigned char)>;
  using ConnectionStateHandler = std::function<void(const model::connection::State&)>;
  using ShutdownHandler = std::function<void()>;
  using ProfileHandler = std::function<void(const ScreenRecorderProfile&)>;
  using MonitoredHandler = std::function<void(bool)>;
  using UpdatedHandler = std::function<void()>;
  using NotificationHandler = std::function<void(const std::string&)>;

  // Obtains the service from Korvex.dll's GetService.
  ServiceControl();
  // Obtains the service through the given edge (tests).
  explicit ServiceControl(const ServiceEdge& edge);
  ServiceControl(const ServiceControl&) = delete;
  ServiceControl& operator=(const ServiceControl&) = delete;
  virtual ~ServiceControl();

  // False when GetService handed out no object; every operation is then a no-op.
  bool HasService() const { return static_cast<bool>(service_); }

  void SetRecordingStateHandler(RecordingStateHandler handler);
  void SetUploadProgressHandler(UploadProgressHandler handler);
  void SetConnectionStateHandler(ConnectionStateHandler handler);
  void SetShutdownHandler(ShutdownHandler handler);
  void SetProfileHandler(ProfileHandler handler);
  void SetMonitoredHandler(MonitoredHandler handler);
  void SetUpdatedHandler(UpdatedHandler handler);
  void SetNotificationHandler(NotificationHandler handler);

  ScreenRecorderProfile CurrentProfile() const;

  void Start();
  void Stop();
  void Pause();
  void Resume();

  void StartRecording();
  void StopRecording();
  void AddComment(const std::string& text);

  std::string GetVersion() const;
  std::string GetTextFilePath() const;

  void StartAutoRecord();
  void StopAutoRecord();
  bool IsAutoRecordRunning() const;

 private:
  void Subscribe();
  void ForwardConnectionState(const model::connection::State& state);
  void ForwardRecordingState(const model::media::RecordingState& state);
  void ForwardUploadProgress(unsigned char percent);
  void ForwardShutdown();
  void ForwardMonitored(bool monitored);
  void ForwardSettingsChanged();
  void ForwardUpdated();
  void ForwardNotification(const std::string& text);
  void AutoRecordProcedure();

  ServiceEdge edge_;
  std::shared_ptr<IServiceControl> service_;
  std::string recordingId_;
  std::thread worker_;
  Signal stopSignal_;
  Random15 random_;  // seeded by StartAutoRecord, drawn only by the worker
  PublishedHandler<void(const model::media::RecordingState&)> recordingStateHandler_;
  PublishedHandler<void(unsigned char)> uploadProgressHandler_;
  PublishedHandler<void(const model::connection::State&)> connectionStateHandler_;
  PublishedHandler<void()> shutdownHandler_;
  PublishedHandler<void(const ScreenRecorderProfile&)> profileHandler_;
  PublishedHandler<void(bool)> monitoredHandler_;
  PublishedHandler<void()> updatedHandler_;
  PublishedHandler<void(const std::string&)> notificationHandler_;
  bool started_ = false;
  std::mutex lock_;
  const ServiceSettings* settings_ = nullptr;
};

}  // namespace vesk
