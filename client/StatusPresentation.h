#pragma once
// What the tray shows for the service's state: the status icon and the tooltip text, decided
// from the frame's flags. Platform-free; the Windows 8 answer is passed in.
#include <cstdint>

namespace client {

struct StatusFlags {
  bool connected = false;
  bool authorized = false;
  bool recording = false;
  bool monitored = false;
};

// Icon resource id: the flat set on Windows 8 and later, the glossy one before.
int StatusIconId(const StatusFlags& flags, bool windows8OrLater);
// The tooltip text for the same flags, tested in the same order.
const char* StatusText(const StatusFlags& flags);
// The icon the tray starts with, before the service has said anything.
int NotConnectedIconId(bool windows8OrLater);

// The texts the tray shows besides the status texts.
extern const char kAppTitle[];            // tooltip after a late (retried) icon add
extern const char kProductName[];         // title of notification and version balloons
extern const char kUpdateBalloonText[];
extern const char kUpdateBalloonTitle[];
extern const char kRightsLine[];          // ends the version balloon

}  // namespace client
