#pragma once
// The animation of an animated GIF, free of the platform: which frame is on show, when it is drawn,
// how long it stays, how it is disposed of, and the background fill after the last frame. The
// window control runs RunAnimationLoop on its animation thread with an AnimationHost that renders
// into its off-screen surface and waits on its exit event.
//
// Every drawing call of the host is a step of its own and the wait is separate from all of them,
// so a host can guard its surface with a lock inside each call and never hold it across a wait.
#include <atomic>
#include <cstdint>

#include "widgets/GifFrameInfo.h"

class AnimationHost {
 public:
  virtual ~AnimationHost() = default;

  virtual std::int32_t FrameCount() const = 0;
  virtual const GifFrameInfo& Frame(std::int32_t index) const = 0;
  virtual bool HasPicture(std::int32_t index) const = 0;

  // Checked before and after every wait; a stop also ends a running Wait at once.
  virtual bool ExitRequested() const = 0;
  virtual void Wait(std::uint32_t milliseconds) = 0;

  // Keeps the pixels under the frame's rectangle for RestoreArea (disposal 3).
  virtual void SaveArea(const GifFrameInfo& frame) = 0;
  // Draws the frame's picture into its rectangle; false when the renderer failed.
  virtual bool Render(std::int32_t index) = 0;
  // Asks for the window to be repainted from the surface, without erasing.
  virtual void Invalidate() = 0;
  // Fills the frame's rectangle with the background colour (disposal 2).
  virtual void FillFrameArea(const GifFrameInfo& frame) = 0;
  // Puts back and drops the saved area, if one is held (disposal 3).
  virtual void RestoreArea(const GifFrameInfo& frame) = 0;
  // Fills the whole surface with the background colour: after the last frame, before the first.
  virtual void FillSurface() = 0;
};

// The index of the frame the animation shows. It survives a stop, so that the next start resumes
// at the frame that was on show. Atomic because the animation thread moves it while the owner may
// read or reset it.
class FrameCursor {
 public:
  std::int32_t Current() const { return current_.load(); }
  void Reset() { current_.store(0); }
  // Places the cursor on a frame kept from an earlier run (a new run resumes there).
  void MoveTo(std::int32_t index) { current_.store(index); }
  // Moves to the next of `count` frames; true when it wrapped round to frame 0.
  bool Advance(std::int32_t count);
  // An index left beyond a list of `count` frames starts again at 0.
  void KeepWithin(std::int32_t count);

 private:
  std::atomic<std::int32_t> current_{0};
};

// Plays the frames until the host asks for an exit. It first disposes of the frame at the cursor
// (the frame that was on show when an earlier run stopped; nothing on a first run), then draws,
// waits for and disposes of one frame after the other, filling the surface after the last one.
// Returns at once when there are no frames or none has a picture, rather than spinning.
void RunAnimationLoop(AnimationHost& host, FrameCursor& cursor);

// The disposal step of one frame, after its wait.
void ApplyDisposal(AnimationHost& host, const GifFrameInfo& frame);
