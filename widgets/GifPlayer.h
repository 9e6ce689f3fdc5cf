#pragma once
// The animation of a split GIF, free of the platform: for each frame in turn, the step the
// animation thread takes with it. A step draws the frame into its area (first keeping the pixels
// under it when its disposal puts them back), waits, then disposes of the area; after the last
// frame the whole surface is filled with the background before the first frame is drawn again.
//
// A run starts at the frame on show (frame 0 the first time) and, before it draws anything,
// applies that frame's disposal: a run resumed after a stop thus clears away the frame that was
// on show when the earlier run stopped, as the next step would have. On a first run that disposal
// acts on a surface nothing has been drawn on yet.
#include <cstdint>
#include <vector>

#include "widgets/GifSplitter.h"

enum class FrameDisposal {
  Keep,                 // 0 (unspecified), 1 (do not dispose) and the reserved 4 to 7
  RestoreBackground,    // 2: the frame's area is filled with the background colour
  RestorePrevious,      // 3: the pixels under the frame are put back
};

struct GifArea {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

struct GifStep {
  std::int32_t frame = 0;
  GifArea area;                 // the frame's rectangle on the logical screen
  bool savesArea = false;       // the pixels under the area are kept before the frame is drawn
  std::uint32_t waitMs = 0;     // how long the frame stays
  FrameDisposal disposal = FrameDisposal::Keep;  // what becomes of the area after the wait
  bool fillsSurface = false;    // the last frame: after its disposal the surface is filled
};

class GifPlayer {
 public:
  // Plays `frames` from frame `first`; from frame 0 when `first` is not one of them.
  GifPlayer(const std::vector<GifFrameInfo>& frames, std::int32_t first);

  bool HasFrames() const { return !steps_.empty(); }
  // The step of the frame on show. Only while HasFrames.
  const GifStep& Step() const { return steps_[at_]; }
  // On to the next frame; after the last, the first.
  void Advance();

 private:
  std::vector<GifStep> steps_;
  std::size_t at_ = 0;
};
