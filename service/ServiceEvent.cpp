#include "service/ServiceEvent.h"

#include <utility>

namespace vesk {

bool IsIgnorable(ServiceEventKind kind) {
  return kind == ServiceEventKind::ConnectionState || kind == ServiceEventKind::RecordingState ||
         kind == ServiceEventKind::UploadProgress;
}

namespace {
ServiceEvent Make(ServiceEventKind kind) {
  ServiceEvent event;
  event.kind = kind;
  return event;
}
}  // namespace

ServiceEvent ServiceEvent::ConnectionState(std::uint32_t state) {
  ServiceEvent event = Make(ServiceEventKind::ConnectionState);
  event.code = state;
  return event;
}

ServiceEvent ServiceEvent::RecordingState(std::uint32_t recordingKind) {
  ServiceEvent event = Make(ServiceEventKind::RecordingState);
  event.code = recordingKind;
  return event;
}

ServiceEvent ServiceEvent::UploadProgress(unsigned char percent) {
  ServiceEvent event = Make(ServiceEventKind::UploadProgress);
  event.code = percent;
  return event;
}

ServiceEvent ServiceEvent::Shutdown() { return Make(ServiceEventKind::Shutdown); }

ServiceEvent ServiceEvent::Monitored(bool monitored) {
  ServiceEvent event = Make(ServiceEventKind::Monitored);
  event.monitored = monitored;
  return event;
}

ServiceEvent ServiceEvent::Profile(const vesk::ScreenRecorderProfile& profile) {
  ServiceEvent event = Make(ServiceEventKind::Profile);
  event.profile = profile;
  return event;
}

ServiceEvent ServiceEvent::Updated() { return Make(ServiceEventKind::Updated); }

ServiceEvent ServiceEvent::Notification(std::string text) {
  ServiceEvent event = Make(ServiceEventKind::Notification);
  event.text = std::move(text);
  return event;
}

}  // namespace vesk
