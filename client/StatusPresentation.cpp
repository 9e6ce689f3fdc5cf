#include "client/StatusPresentation.h"

#include "res/resource.h"

namespace client {

const char kAppTitle[] = "Sivrel";
const char kProductName[] = "Calyra";
const char kUpdateBalloonText[] =
    "Application was updated to the latest version. Please login again in your Tamlo account.";
const char kUpdateBalloonTitle[] = "Application Update";
const char kRightsLine[] = "Copyright (c) Calyra. All rights reserved.";

namespace {

// The five rows, tested top to bottom: recording, not connected, not authorised, monitored,
// connected.
enum Row { kRecording, kNotConnected, kNotAuthorized, kMonitored, kConnected };

Row StatusRow(const StatusFlags& flags) {
  if (flags.recording) return kRecording;
  if (!flags.connected) return kNotConnected;
  if (!flags.authorized) return kNotAuthorized;
  return flags.monitored ? kMonitored : kConnected;
}

}  // namespace

int StatusIconId(const StatusFlags& flags, bool windows8OrLater) {
  static const int kFlat[] = {IDI_STATUS_RECORDING, IDI_STATUS_NOT_CONNECTED,
                              IDI_STATUS_NOT_AUTHORIZED, IDI_STATUS_MONITORED,
                              IDI_STATUS_CONNECTED};
  static const int kLegacy[] = {IDI_STATUS_RECORDING_LEGACY, IDI_STATUS_NOT_CONNECTED_LEGACY,
                                IDI_STATUS_NOT_AUTHORIZED_LEGACY, IDI_STATUS_MONITORED_LEGACY,
                                IDI_STATUS_CONNECTED_LEGACY};
  const Row row = StatusRow(flags);
  return windows8OrLater ? kFlat[row] : kLegacy[row];
}

const char* StatusText(const StatusFlags& flags) {
  static const char* const kTexts[] = {"Recording", "Not Connected", "Connected - Not Authorized",
                                       "Connected - Monitored", "Connected"};
  return kTexts[StatusRow(flags)];
}

int NotConnectedIconId(bool windows8OrLater) {
  return windows8OrLater ? IDI_STATUS_NOT_CONNECTED : IDI_STATUS_NOT_CONNECTED_LEGACY;
}

}  // namespace client
