#include "widgets/GifPlayer.h"

namespace {

constexpr std::uint32_t kShortestDelay = 5;       // hundredths; anything less waits the default
constexpr std::uint32_t kLongestDelay = 0xFFFF;   // what a GIF's delay field can hold
constexpr std::uint32_t kDefaultWaitMs = 100;

// Delays below 5 hundredths wait 100 ms, as browsers do, since many GIFs say 0 and mean "fast".
// A frame without a graphic control extension (kNoFrameDelay) waits 100 ms too: multiplied out
// it would come to about 50 days. Values beyond the 16-bit field, which the splitter never
// yields, are treated the same way.
std::uint32_t WaitMilliseconds(std::uint32_t delay) {
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

}  // namespace

GifPlayer::GifPlayer(const std::vector<GifFrameInfo>& frames, std::int32_t first) {
  steps_.reserve(frames.size());
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const GifFrameInfo& f = frames[i];
    GifStep step;
    step.frame = static_cast<std::int32_t>(i);
    step.area = GifArea{f.left, f.top, f.width, f.height};
    step.disposal = DisposalOf(f.disposal);
    step.savesArea = step.disposal == FrameDisposal::RestorePrevious;
    step.waitMs = WaitMilliseconds(f.delay);
    step.fillsSurface = i + 1 == frames.size();
    steps_.push_back(step);
  }
  if (first > 0 && static_cast<std::size_t>(first) < steps_.size())
    at_ = static_cast<std::size_t>(first);
}

void GifPlayer::Advance() {
  if (++at_ >= steps_.size()) at_ = 0;
}
