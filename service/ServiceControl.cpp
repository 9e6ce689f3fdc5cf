#include "service/ServiceControl.h"

#include "service/RecordingId.h"

namespace vesk {

namespace {

// The service is freed through its own Release, never deleted by the client.
void ReleaseService(IServiceControl* service) {
  if (service) service->Release();
}

}  // namespace

ServiceControl::ServiceControl(const ServiceEdge& edge) : edge_(edge) {
  IServiceControl* service = edge_.getService ? edge_.getService(edge_.context) : nullptr;
  if (!service) return;
  service_.reset(service, &ReleaseService);
  settings_ = service_->GetSettings();
  Subscribe();
}

ServiceControl::~ServiceControl() {
  Stop();
  // The service goes first, so that no event of it can reach a handler that is being destroyed:
  // after Release returns the service calls no forwarder.
  service_.reset();
}

void ServiceControl::Subscribe() {
  service_->SubscribeConnectionState([this](const model::connection::State& state) {
    Deliver(ServiceEvent::ConnectionState(static_cast<std::uint32_t>(state)));
  });
  service_->SubscribeRecordingState([this](const model::media::RecordingState& state) {
    Deliver(ServiceEvent::RecordingState(state.kind));
  });
  service_->SubscribeUploadProgress(
      [this](unsigned char percent) { Deliver(ServiceEvent::UploadProgress(percent)); });
  service_->SubscribeShutdown([this] { Deliver(ServiceEvent::Shutdown()); });
  service_->SubscribeMonitored([this](bool monitored) { Deliver(ServiceEvent::Monitored(monitored)); });
  service_->SubscribeSettingsChanged([this] { Deliver(ServiceEvent::Profile(CurrentProfile())); });
  service_->SubscribeUpdated([this] { Deliver(ServiceEvent::Updated()); });
  service_->SubscribeNotification(
      [this](const std::string& text) { Deliver(ServiceEvent::Notification(text)); });
}

// Runs on the service's thread, with no lock and no queue.
void ServiceControl::Deliver(const ServiceEvent& event) const {
  if (auto sink = sink_.Get()) (*sink)(event);
}

void ServiceControl::SetEventSink(EventSink sink) { sink_.Set(std::move(sink)); }

void ServiceControl::PublishHandlers() {
  sink_.Set([handlers = handlers_](const ServiceEvent& event) {
    switch (event.kind) {
      case ServiceEventKind::ConnectionState:
        if (handlers.connectionState) {
          handlers.connectionState(static_cast<model::connection::State>(event.code));
        }
        break;
      case ServiceEventKind::RecordingState:
        if (handlers.recordingState) {
          model::media::RecordingState state;
          state.kind = event.code;
          handlers.recordingState(state);
        }
        break;
      case ServiceEventKind::UploadProgress:
        if (handlers.uploadProgress) handlers.uploadProgress(static_cast<unsigned char>(event.code));
        break;
      case ServiceEventKind::Shutdown:
        if (handlers.shutdown) handlers.shutdown();
        break;
      case ServiceEventKind::Monitored:
        if (handlers.monitored) handlers.monitored(event.monitored);
        break;
      case ServiceEventKind::Profile:
        if (handlers.profile) handlers.profile(event.profile);
        break;
      case ServiceEventKind::Updated:
        if (handlers.updated) handlers.updated();
        break;
      case ServiceEventKind::Notification:
        if (handlers.notification) handlers.notification(event.text);
        break;
    }
  });
}

void ServiceControl::SetRecordingStateHandler(RecordingStateHandler handler) {
  handlers_.recordingState = std::move(handler);
  PublishHandlers();
}
void ServiceControl::SetUploadProgressHandler(UploadProgressHandler handler) {
  handlers_.uploadProgress = std::move(handler);
  PublishHandlers();
}
void ServiceControl::SetConnectionStateHandler(ConnectionStateHandler handler) {
  handlers_.connectionState = std::move(handler);
  PublishHandlers();
}
void ServiceControl::SetShutdownHandler(ShutdownHandler handler) {
  handlers_.shutdown = std::move(handler);
  PublishHandlers();
}
void ServiceControl::SetProfileHandler(ProfileHandler handler) {
  handlers_.profile = std::move(handler);
  PublishHandlers();
}
void ServiceControl::SetMonitoredHandler(MonitoredHandler handler) {
  handlers_.monitored = std::move(handler);
  PublishHandlers();
}
void ServiceControl::SetUpdatedHandler(UpdatedHandler handler) {
  handlers_.updated = std::move(handler);
  PublishHandlers();
}
void ServiceControl::SetNotificationHandler(NotificationHandler handler) {
  handlers_.notification = std::move(handler);
  PublishHandlers();
}

ScreenRecorderProfile ServiceControl::CurrentProfile() const {
  ScreenRecorderProfile profile;
  if (!settings_) return profile;
  profile.allowRecordingControl = settings_->allowRecordingControl;
  profile.allowComments = settings_->allowComments;
  profile.showTrayIcon = settings_->showTrayIcon;
  return profile;
}

void ServiceControl::Start() {
  if (!service_) return;
  std::lock_guard<std::mutex> guard(lock_);
  if (!started_) {
    service_->Start();
    started_ = true;
  }
}

void ServiceControl::Stop() {
  if (!service_) return;
  std::lock_guard<std::mutex> guard(lock_);
  // The worker never takes the lock, so joining it here cannot deadlock; and it must be gone
  // before the service stops, or it would drive a stopped service.
  StopAutoRecord();
  service_->Stop();
  started_ = false;
}

void ServiceControl::Pause() {
  if (!service_) return;
  std::lock_guard<std::mutex> guard(lock_);
  if (started_) service_->PauseRecording();
}

void ServiceControl::Resume() {
  if (!service_) return;
  std::lock_guard<std::mutex> guard(lock_);
  if (started_) service_->ResumeRecording();
}

void ServiceControl::StartRecording() {
  if (!service_) return;
  recordingId_ = MakeRecordingId(edge_.universalTime(edge_.context));
  service_->StartRecording(recordingId_);
}

void ServiceControl::StopRecording() {
  if (!service_) return;
  service_->StopRecording(recordingId_);
}

void ServiceControl::AddComment(const std::string& text) {
  if (!service_) return;
  service_->AddComment(text);
}

std::string ServiceControl::GetVersion() const {
  if (!service_) return std::string();
  const char* text = service_->GetVersion();
  return text ? std::string(text) : std::string();
}

std::string ServiceControl::GetTextFilePath() const {
  if (!service_) return std::string();
  const char* text = service_->GetTextFilePath();
  return text ? std::string(text) : std::string();
}

}  // namespace vesk
