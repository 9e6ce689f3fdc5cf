#pragma once
// The client's only owner of the recorder service: obtains it, delivers its eight events to one
// sink as ServiceEvent values (on the service's threads), serialises start, stop, pause and
// resume, makes recording ids and runs the auto-record cycle.
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
#include "service/ServiceEvent.h"
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
  using EventSink = std::function<void(const ServiceEvent&)>;

  // Obtains the service from Korvex.dll's GetService.
  ServiceControl();
  // Obtains the service through the given edge (tests).
  explicit ServiceControl(const ServiceEdge& edge);
  ServiceControl(const ServiceControl&) = delete;
  ServiceControl& operator=(const ServiceControl&) = delete;
  virtual ~ServiceControl();

  // False when GetService handed out no object; every operation is then a no-op.
  bool HasService() const { return static_cast<bool>(service_); }

  // Every event, whatever its kind, goes to `sink`, called on the service's thread; an event
  // raised before a sink is installed is dropped. Install it before Start.
  void SetEventSink(EventSink sink);
  // One handler per kind, for callers that want only some kinds: each replaces the sink with
  // one that calls the handlers set so far.
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
  void Deliver(const ServiceEvent& event) const;
  void PublishHandlers();
  void AutoRecordProcedure();

  ServiceEdge edge_;
  std::shared_ptr<IServiceControl> service_;
  std::string recordingId_;
  std::thread worker_;
  Signal stopSignal_;
  Random15 random_;  // seeded by StartAutoRecord, drawn only by the worker
  PublishedHandler<void(const ServiceEvent&)> sink_;
  struct Handlers {
    RecordingStateHandler recordingState;
    UploadProgressHandler uploadProgress;
    ConnectionStateHandler connectionState;
    ShutdownHandler shutdown;
    ProfileHandler profile;
    MonitoredHandler monitored;
    UpdatedHandler updated;
    NotificationHandler notification;
  };
  Handlers handlers_;  // user-interface thread; the sink works on a copy
  bool started_ = false;
  std::mutex lock_;
  const ServiceSettings* settings_ = nullptr;
};

}  // namespace vesk
