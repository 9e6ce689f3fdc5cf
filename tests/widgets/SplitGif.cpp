#include "SplitGif.h"

#include <cstring>
#include <memory>

#include "widgets/GifSplitter.h"

SplitResult SplitGif(const std::vector<std::uint8_t>& data) {
  // new[] of exactly the size (one byte for empty data, never read) so the redzone starts at the end.
  std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[data.empty() ? 1 : data.size()]);
  if (!data.empty()) std::memcpy(exact.get(), data.data(), data.size());

  SplitResult result;
  GifSplitter splitter;
  if (!splitter.Attach(exact.get(), data.size())) return result;
  result.counted = splitter.CountFrames();
  GifImageBlock image;
  GifFrameInfo info;
  while (splitter.ExtractFrame(image, info)) {
    const auto* bytes = static_cast<const std::uint8_t*>(image.block);
    result.frames.push_back({info, std::vector<std::uint8_t>(bytes, bytes + image.length)});
    splitter.ReleaseImage(image);
  }
  splitter.Detach();
  return result;
}
