#include "SplitGif.h"

#include <cstring>
#include <memory>

SplitResult SplitExact(const std::vector<std::uint8_t>& data) {
  // new[] of exactly the size (one byte for empty data, never read) so the redzone starts at the end.
  std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[data.empty() ? 1 : data.size()]);
  if (!data.empty()) std::memcpy(exact.get(), data.data(), data.size());

  SplitResult result;
  result.counted = SplitGif(exact.get(), data.size(), [&](const GifSplit&, GifSplitFrame& f) {
                     result.frames.push_back(
                         {f.info, std::vector<std::uint8_t>(f.image.get(), f.image.get() + f.length),
                          f.offset});
                   }).counted;
  return result;
}

std::vector<GifFrameInfo> FrameInfos(const std::vector<std::uint8_t>& data) {
  std::vector<GifFrameInfo> infos;
  for (const SplitFrame& f : SplitExact(data).frames) infos.push_back(f.info);
  return infos;
}
