#pragma once
// How the client reads the service's connection states and recording kinds, as tables.
// Platform-free.
#include <cstdint>

namespace client {

enum class FlagChange { Keep, Set, Clear };

// One connection state: what it does to the connected and authorised flags, the tooltip it
// shows (null: the status text of the flags as they then are) and whether the update notice
// comes first.
struct ConnectionRule {
  std::uint32_t state;
  FlagChange connected;
  FlagChange authorized;
  const char* tooltip;
  bool updateBalloon;
};

// The rule of `state`; values the service does not name change no flag and show the status text.
const ConnectionRule& ConnectionRuleFor(std::uint32_t state);

enum class RecordingKindEffect {
  Ignored,     // above 7
  Running,     // 1, 2
  Paused,      // 3
  Resumed,     // 4
  NotRunning,  // 0, 5, 6, 7
};

// Kinds are compared unsigned.
RecordingKindEffect ClassifyRecordingKind(std::uint32_t kind);

}  // namespace client
