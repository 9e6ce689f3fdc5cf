#include "widgets/FrameTiming.h"

#include "widgets/GifFrameInfo.h"

namespace {

constexpr std::uint32_t kShortestDelay = 5;       // hundredths; anything less waits the default
constexpr std::uint32_t kLongestDelay = 0xFFFF;   // what a GIF's delay field can hold
constexpr std::uint32_t kDefaultWaitMs = 100;

}  // namespace

std::uint32_t FrameWaitMilliseconds(std::uint32_t delay) {
  static_assert(kNoFrameDelay > kLongestDelay, "the no-delay marker must fall outside the field");
  if (delay < kShortestDelay || delay > kLongestDelay) return kDefaultWaitMs;
  return delay * 10;
}

FrameDisposal DisposalOf(std::uint32_t disposal) {
  switch (disposal) {
    case 2:
      return FrameDisposal::RestoreBackground;
    case 3:
      return FrameDisposal::RestorePrevious;
    default:
      return FrameDisposal::Keep;
  }
}
