#include "GifSplitterCheck.h"

#include <cstring>
#include <vector>

#include "widgets/GifPlayer.h"
#include "widgets/GifSplitter.h"

namespace {

bool SameInfo(const GifFrameInfo& a, const GifFrameInfo& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

std::string CheckOneImageGif(const GifSplitFrame& frame) {
  // A frame's one-image GIF holds exactly that frame again.
  bool same = false;
  int copies = 0;
  const GifSplit again =
      SplitGif(frame.image.get(), frame.length, [&](const GifSplit&, GifSplitFrame& copy) {
        ++copies;
        same = copy.length == frame.length &&
               std::memcmp(copy.image.get(), frame.image.get(), frame.length) == 0 &&
               SameInfo(copy.info, frame.info);
      });
  if (again.counted != 1 || copies != 1) return "one-image GIF does not hold exactly one frame";
  return same ? "" : "one-image GIF splits into a different frame";
}

std::string CheckFrame(const GifSplitFrame& f, const std::uint8_t* data, std::size_t size,
                       std::size_t prefix, std::size_t previous_end) {
  if (f.length < prefix + 2) return "one-image GIF has the wrong length";
  const std::size_t span = f.length - prefix - 1;
  const std::size_t offset = static_cast<std::size_t>(f.offset);
  if (f.offset < 0 || offset < previous_end || offset + span > size)
    return "frame lies outside the data or overlaps the one before";
  const std::uint8_t* bytes = f.image.get();
  if (std::memcmp(bytes, data, prefix) != 0 || bytes[f.length - 1] != 0x3B ||
      std::memcmp(bytes + prefix, data + offset, span) != 0)
    return "one-image GIF is not header + span + trailer";
  const GifFrameInfo& info = f.info;
  if (info.disposal > 7 || (info.delay > 0xFFFF && info.delay != kNoFrameDelay) ||
      info.width > 0xFFFF || info.height > 0xFFFF || info.left > 0xFFFF || info.top > 0xFFFF ||
      info.width < 0 || info.height < 0)
    return "frame values out of range";
  return CheckOneImageGif(f);
}

// Two turns of the player: every wait a real, bounded time, the surface filled once a turn.
std::string CheckPlayer(const std::vector<GifFrameInfo>& frames) {
  GifPlayer player(frames, 0);
  if (player.HasFrames() == frames.empty()) return "player disagrees on having frames";
  std::size_t fills = 0;
  for (std::size_t i = 0; player.HasFrames() && i < 2 * frames.size(); ++i) {
    const GifStep& step = player.Step();
    if (step.frame != static_cast<std::int32_t>(i % frames.size())) return "player skipped a frame";
    if (step.waitMs == 0 || step.waitMs > 655350) return "a frame waits no time or unboundedly long";
    fills += step.fillsSurface ? 1 : 0;
    player.Advance();
  }
  return fills == (frames.empty() ? 0 : 2) ? "" : "the surface is not filled once a turn";
}

}  // namespace

std::string CheckGifSplitter(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr) return "";
  GifBlockWalker walker;
  if (!walker.Attach(data, size)) return size > 0x7FFFFFFF ? "" : "attach refused";
  const std::int32_t first = walker.FirstBlockOffset();
  if (walker.ParseOffset() != first) return "attach left the parse offset off the first block";

  // Block by block: every step moves forward and stays inside the data.
  std::int32_t previous = walker.ParseOffset();
  while (walker.AdvancePastBlock()) {
    if (walker.ParseOffset() <= previous || walker.ParseOffset() > walker.DataSize())
      return "block walk moved backwards or out of the data";
    previous = walker.ParseOffset();
  }
  walker.SubBlockChainLength(walker.DataSize() - 1);
  walker.SubBlockChainLength(walker.DataSize() / 2);

  std::vector<GifFrameInfo> frames;
  std::size_t end = static_cast<std::size_t>(first);
  std::string fault;
  const GifSplit split = SplitGif(data, size, [&](const GifSplit&, GifSplitFrame& f) {
    if (!fault.empty()) return;
    fault = CheckFrame(f, data, size, static_cast<std::size_t>(first), end);
    end = static_cast<std::size_t>(f.offset) + f.length - static_cast<std::size_t>(first) - 1;
    frames.push_back(f.info);
  });
  if (!fault.empty()) return fault;
  if (frames.size() != static_cast<std::size_t>(split.counted))
    return "the walk and the copies disagree";
  return CheckPlayer(frames);
}
