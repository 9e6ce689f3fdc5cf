#include "tray/ServiceStateRules.h"

#include "service/ServiceModel.h"

namespace tray {

ConnectionStateEffect ApplyConnectionState(std::uint32_t state, bool& connected, bool& authorized) {
  namespace connection = vesk::model::connection;
  ConnectionStateEffect effect;
  switch (state) {
    case connection::Disconnected:
      connected = false;
      effect.tooltip = "Not Connected";
      break;
    case connection::Connected:
      connected = true;
      authorized = false;
      effect.tooltip = "Connected - Not Authorized";
      break;
    case connection::NotAuthorized:
      // Refused or withdrawn: says nothing about the connection, which keeps its flag.
      authorized = false;
      effect.tooltip = "Connected - Not Authorized";
      break;
    case connection::Authorized:
      authorized = true;
      effect.tooltip = "Connected";
      break;
    case connection::Updated:
      effect.showUpdateBalloon = true;
      break;
    default:
      break;
  }
  return effect;
}

RecordingKindEffect ClassifyRecordingKind(std::uint32_t kind) {
  switch (kind) {
    case 1:
    case 2:
      return RecordingKindEffect::Running;
    case 3:
      return RecordingKindEffect::Paused;
    case 4:
      return RecordingKindEffect::Resumed;
    case 0:
    case 5:
    case 6:
    case 7:
      return RecordingKindEffect::NotRunning;
    default:
      return RecordingKindEffect::Ignored;
  }
}

}  // namespace tray
