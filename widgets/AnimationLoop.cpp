#include "widgets/AnimationLoop.h"

#include "widgets/FrameTiming.h"

bool FrameCursor::Advance(std::int32_t count) {
  const std::int32_t next = current_.load() + 1;
  if (next >= count) {
    current_.store(0);
    return true;
  }
  current_.store(next);
  return false;
}

void FrameCursor::KeepWithin(std::int32_t count) {
  const std::int32_t current = current_.load();
  if (current < 0 || current >= count) current_.store(0);
}

void ApplyDisposal(AnimationHost& host, const GifFrameInfo& frame) {
  switch (DisposalOf(frame.disposal)) {
    case FrameDisposal::RestoreBackground:
      host.FillFrameArea(frame);
      break;
    case FrameDisposal::RestorePrevious:
      host.RestoreArea(frame);
      break;
    case FrameDisposal::Keep:
      break;
  }
}

namespace {

bool AnyPicture(const AnimationHost& host, std::int32_t count) {
  for (std::int32_t i = 0; i < count; ++i)
    if (host.HasPicture(i)) return true;
  return false;
}

}  // namespace

void RunAnimationLoop(AnimationHost& host, FrameCursor& cursor) {
  const std::int32_t count = host.FrameCount();
  // Without a picture to draw nothing would ever wait, and the loop would spin.
  if (count <= 0 || !AnyPicture(host, count)) return;
  cursor.KeepWithin(count);

  ApplyDisposal(host, host.Frame(cursor.Current()));
  while (!host.ExitRequested()) {
    const std::int32_t index = cursor.Current();
    if (host.HasPicture(index)) {
      const GifFrameInfo& frame = host.Frame(index);
      if (SavesAreaUnderFrame(frame.disposal)) host.SaveArea(frame);
      if (host.Render(index)) host.Invalidate();
      if (host.ExitRequested()) break;
      host.Wait(FrameWaitMilliseconds(frame.delay));
      if (host.ExitRequested()) break;
      ApplyDisposal(host, frame);
    }
    if (cursor.Advance(count)) host.FillSurface();
  }
}
