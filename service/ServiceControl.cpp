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
  service_->SubscribeConnectionState(
      [this](const model::connection::State& state) { ForwardConnectionState(state); });
  service_->SubscribeRecordingState(
      [this](const model::media::RecordingState& state) { ForwardRecordingState(state); });
  service_->SubscribeUploadProgress([this](unsigned char percent) { ForwardUploadProgress(percent); });
  service_->SubscribeShutdown([this] { ForwardShutdown(); });
  service_->SubscribeMonitored([this](bool monitored) { ForwardMonitored(monitored); });
  service_->SubscribeSettingsChanged([this] { ForwardSettingsChanged(); });
  service_->SubscribeUpdated([this] { ForwardUpdated(); });
  service_->SubscribeNotification([this](const std::string& text) { ForwardNotification(text); });
}

void ServiceControl::SetRecordingStateHandler(RecordingStateHandler handler) {
  recordingStateHandler_.Set(std::move(handler));
}
void ServiceControl::SetUploadProgressHandler(UploadProgressHandler handler) {
  uploadProgressHandler_.Set(std::move(handler));
}
void ServiceControl::SetConnectionStateHandler(ConnectionStateHandler handler) {
  connectionStateHandler_.Set(std::move(handler));
}
void ServiceControl::SetShutdownHandler(ShutdownHandler handler) {
  shutdownHandler_.Set(std::move(handler));
}
void ServiceControl::SetProfileHandler(ProfileHandler handler) {
  profileHandler_.Set(std::move(handler));
}
void ServiceControl::SetMonitoredHandler(MonitoredHandler handler) {
  monitoredHandler_.Set(std::move(handler));
}
void ServiceControl::SetUpdatedHandler(UpdatedHandler handler) {
  updatedHandler_.Set(std::move(handler));
}
void ServiceControl::SetNotificationHandler(NotificationHandler handler) {
  notificationHandler_.Set(std::move(handler));
}

// Forwarders: run on the service's thread, with no lock and no queue. An event that arrives
// before its handler is installed is dropped.
void ServiceControl::ForwardConnectionState(const model::connection::State& state) {
  if (auto handler = connectionStateHandler_.Get()) (*handler)(state);
}
void ServiceControl::ForwardRecordingState(const model::media::RecordingState& state) {
  if (auto handler = recordingStateHandler_.Get()) (*handler)(state);
}
void ServiceControl::ForwardUploadProgress(unsigned char percent) {
  if (auto handler = uploadProgressHandler_.Get()) (*handler)(percent);
}
void ServiceControl::ForwardShutdown() {
  if (auto handler = shutdownHandler_.Get()) (*handler)();
}
void ServiceControl::ForwardMonitored(bool monitored) {
  if (auto handler = monitoredHandler_.Get()) (*handler)(monitored);
}
void ServiceControl::ForwardSettingsChanged() {
  if (auto handler = profileHandler_.Get()) (*handler)(CurrentProfile());
}
void ServiceControl::ForwardUpdated() {
  if (auto handler = updatedHandler_.Get()) (*handler)();
}
void ServiceControl::ForwardNotification(const std::string& text) {
  if (auto handler = notificationHandler_.Get()) (*handler)(text);
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
