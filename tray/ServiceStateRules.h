#pragma once
// How the tray treats the service's connection states and recording kinds. Platform-free.
#include <cstdint>

namespace tray {

// What a connection-state event does besides changing the flags.
struct ConnectionStateEffect {
  // Shown as the tooltip; null means "the status text of the flags as they now are".
  const char* tooltip = nullptr;
  // The update notice comes first (the Updated state).
  bool showUpdateBalloon = false;
};

// Applies `state` (any 32-bit value; unknown ones change nothing) to the two connection flags.
ConnectionStateEffect ApplyConnectionState(std::uint32_t state, bool& connected, bool& authorized);

enum class RecordingKindEffect {
  Ignored,     // above 7
  Running,     // 1, 2
  Paused,      // 3
  Resumed,     // 4
  NotRunning,  // 0, 5, 6, 7
};

RecordingKindEffect ClassifyRecordingKind(std::uint32_t kind);

}  // namespace tray
