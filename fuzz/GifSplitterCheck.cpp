#include "GifSplitterCheck.h"

#include <cstring>
#include <vector>

#include "widgets/AnimationLoop.h"
#include "widgets/FrameTiming.h"
#include "widgets/GifSplitter.h"

namespace {

// Plays the extracted frames for two turns; every wait must be a real, bounded time.
class CountingHost : public AnimationHost {
 public:
  explicit CountingHost(const std::vector<GifFrameInfo>& frames) : frames_(frames) {}
  std::int32_t FrameCount() const override { return static_cast<std::int32_t>(frames_.size()); }
  const GifFrameInfo& Frame(std::int32_t index) const override { return frames_[index]; }
  bool HasPicture(std::int32_t) const override { return true; }
  bool ExitRequested() const override { return waits_ >= 2 * frames_.size(); }
  void Wait(std::uint32_t ms) override {
    ++waits_;
    if (ms == 0 || ms > 655350) bad_wait = true;
  }
  void SaveArea(const GifFrameInfo&) override {}
  bool Render(std::int32_t) override { return true; }
  void Invalidate() override {}
  void FillFrameArea(const GifFrameInfo&) override {}
  void RestoreArea(const GifFrameInfo&) override {}
  void FillSurface() override {}
  bool bad_wait = false;

 private:
  const std::vector<GifFrameInfo>& frames_;
  std::size_t waits_ = 0;
};

std::string CheckOneImageGif(const GifImageBlock& image, const GifFrameInfo& info) {
  // A frame's one-image GIF holds exactly that frame again.
  GifSplitter again;
  if (!again.Attach(static_cast<const std::uint8_t*>(image.block), image.length))
    return "one-image GIF not attachable";
  if (again.CountFrames() != 1) return "one-image GIF does not hold exactly one frame";
  GifImageBlock copy;
  GifFrameInfo copy_info;
  if (!again.ExtractFrame(copy, copy_info)) return "one-image GIF's frame not extractable";
  const bool same = copy.length == image.length &&
                    std::memcmp(copy.block, image.block, image.length) == 0 &&
                    std::memcmp(&copy_info, &info, sizeof info) == 0;
  again.ReleaseImage(copy);
  return same ? "" : "one-image GIF splits into a different frame";
}

}  // namespace

std::string CheckGifSplitter(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr) return "";
  GifSplitter splitter;
  if (!splitter.Attach(data, size)) return size > 0x7FFFFFFF ? "" : "attach refused";
  const std::int32_t first = splitter.FirstBlockOffset();
  if (splitter.ParseOffset() != first) return "attach left the parse offset off the first block";

  // Block by block: every step moves forward and stays inside the data.
  std::int32_t previous = splitter.ParseOffset();
  while (splitter.AdvancePastBlock()) {
    if (splitter.ParseOffset() <= previous || splitter.ParseOffset() > splitter.DataSize())
      return "block walk moved backwards or out of the data";
    previous = splitter.ParseOffset();
  }
  splitter.SubBlockChainLength(splitter.DataSize() - 1);
  splitter.SubBlockChainLength(splitter.DataSize() / 2);

  const std::int32_t counted = splitter.CountFrames();
  if (splitter.ParseOffset() != first) return "counting pass did not rewind";

  std::vector<GifFrameInfo> frames;
  GifImageBlock image;
  GifFrameInfo info;
  std::int32_t before = splitter.ParseOffset();
  while (splitter.ExtractFrame(image, info)) {
    const std::int32_t after = splitter.ParseOffset();
    const std::size_t prefix = static_cast<std::size_t>(first);
    // The span ends where the walk stopped; extensions skipped ahead of it are not part of it.
    const std::size_t walked = static_cast<std::size_t>(after - before);
    const std::size_t span = image.length - prefix - 1;
    const auto* bytes = static_cast<const std::uint8_t*>(image.block);
    std::string fault;
    if (after <= before || after > splitter.DataSize()) fault = "frame walk left the data";
    else if (image.length < prefix + 2 || span > walked)
      fault = "one-image GIF has the wrong length";
    else if (std::memcmp(bytes, data, prefix) != 0 || bytes[image.length - 1] != 0x3B ||
             std::memcmp(bytes + prefix, data + after - span, span) != 0)
      fault = "one-image GIF is not header + span + trailer";
    else if (info.disposal > 7 || (info.delay > 0xFFFF && info.delay != kNoFrameDelay) ||
             info.width > 0xFFFF || info.height > 0xFFFF || info.left > 0xFFFF ||
             info.top > 0xFFFF || info.width < 0 || info.height < 0)
      fault = "frame values out of range";
    else
      fault = CheckOneImageGif(image, info);
    splitter.ReleaseImage(image);
    if (!fault.empty()) return fault;
    frames.push_back(info);
    before = after;
  }
  if (static_cast<std::int32_t>(frames.size()) != counted)
    return "counting and extraction disagree";

  // Extraction without a counting pass walks every frame afresh and must find the same ones.
  GifSplitter fresh;
  fresh.Attach(data, size);
  for (const GifFrameInfo& expected : frames) {
    if (!fresh.ExtractFrame(image, info)) return "extraction without counting finds fewer frames";
    fresh.ReleaseImage(image);
    if (std::memcmp(&expected, &info, sizeof info) != 0)
      return "extraction without counting finds other frames";
  }
  if (fresh.ExtractFrame(image, info)) {
    fresh.ReleaseImage(image);
    return "extraction without counting finds more frames";
  }

  CountingHost host(frames);
  FrameCursor cursor;
  RunAnimationLoop(host, cursor);
  if (host.bad_wait) return "a frame waits no time or unboundedly long";
  return "";
}
