#pragma once
// How long a frame of the animation stays and what happens to its area afterwards, decided from
// the values of its graphic control extension.
#include <cstdint>

// Milliseconds a frame with `delay` (hundredths of a second) stays on show. Delays below 5 wait
// 100 ms, as browsers do, since many GIFs say 0 and mean "fast". A frame without a graphic control
// extension (kNoFrameDelay) waits 100 ms too: multiplied out it would come to about 50 days.
// Values beyond a GIF's 16-bit field, which the splitter never yields, are treated the same way.
std::uint32_t FrameWaitMilliseconds(std::uint32_t delay);

enum class FrameDisposal {
  Keep,                 // 0 (unspecified), 1 (do not dispose) and the reserved 4 to 7
  RestoreBackground,    // 2: the frame's rectangle is filled with the background colour
  RestorePrevious,      // 3: the pixels under the frame are put back
};

FrameDisposal DisposalOf(std::uint32_t disposal);

// Disposal 3 needs the pixels under the frame, saved before the frame is drawn.
inline bool SavesAreaUnderFrame(std::uint32_t disposal) {
  return DisposalOf(disposal) == FrameDisposal::RestorePrevious;
}
