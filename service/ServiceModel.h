#pragma once
// Types that cross from the recorder service to the client. Their layout is shared with the
// service library, so members keep their order and sizes.
#include <atomic>
#include <cstdint>

namespace vesk {
namespace model {
namespace connection {

// Stored in 32 bits; the service may send values outside the named ones.
enum State : std::uint32_t {
  Disconnected = 0,
  Connected = 1,
  NotAuthorized = 2,
  Authorized = 3,
  Updated = 4,
};

}  // namespace connection

namespace media {

// The client reads only `kind` (compared unsigned); the members ahead of it are the service's.
class RecordingState {
 public:
  std::uint32_t sequence = 0;   // the service's running number of recording events
  std::int64_t timestamp = 0;   // the service's time of the change, in milliseconds
  std::uint32_t kind = 0;       // 0 none, 1-2 running, 3 paused, 4 resumed, 5-7 none
};

}  // namespace media
}  // namespace model

// The service profile: three one-byte flags, in this order.
struct ScreenRecorderProfile {
  bool allowRecordingControl = false;
  bool allowComments = false;
  bool showTrayIcon = false;
};
static_assert(sizeof(ScreenRecorderProfile) == 3, "the profile is three bytes");

// The service's own settings record. The client reads only the three flags; the service keeps
// them current from its own threads, so they are single-byte atomics that the client may read
// on any thread without a lock.
struct ServiceSettings {
  std::uint32_t revision = 0;
  std::atomic<bool> allowRecordingControl{false};
  std::atomic<bool> allowComments{false};
  std::atomic<bool> showTrayIcon{false};
};
static_assert(sizeof(std::atomic<bool>) == 1, "settings flags are single bytes");

}  // namespace vesk
