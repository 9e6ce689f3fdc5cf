#pragma once
// One event of the recorder service as the adapter delivers it on the service's thread and
// the client applies it later on the user-interface thread. Platform-free.
#include <cstddef>
#include <cstdint>
#include <string>

#include "service/ServiceModel.h"

namespace vesk {

enum class ServiceEventKind : std::uint8_t {
  ConnectionState,
  RecordingState,
  UploadProgress,
  Shutdown,
  Monitored,
  Profile,
  Updated,
  Notification,
};
constexpr std::size_t kServiceEventKinds = 8;

// Connection, recording and upload events are the ones dropped while the frame ignores the
// service (during Restart, and for good after close); the others still act on the tray.
bool IsIgnorable(ServiceEventKind kind);

struct ServiceEvent {
  ServiceEventKind kind = ServiceEventKind::Updated;
  // Connection state, recording kind (only `kind` of the service's record is kept) or upload
  // percent, as raised.
  std::uint32_t code = 0;
  bool monitored = false;
  vesk::ScreenRecorderProfile profile;
  std::string text;

  static ServiceEvent ConnectionState(std::uint32_t state);
  static ServiceEvent RecordingState(std::uint32_t recordingKind);
  static ServiceEvent UploadProgress(unsigned char percent);
  static ServiceEvent Shutdown();
  static ServiceEvent Monitored(bool monitored);
  static ServiceEvent Profile(const vesk::ScreenRecorderProfile& profile);
  static ServiceEvent Updated();
  static ServiceEvent Notification(std::string text);
};

}  // namespace vesk
