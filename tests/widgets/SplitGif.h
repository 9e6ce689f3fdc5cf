#pragma once
// SplitGif over a copy of the data in a heap block of exactly its size, so that the address
// sanitizer reports any read past the end, with each one-image GIF copied out for comparison.
#include <cstdint>
#include <vector>

#include "widgets/GifSplitter.h"

struct SplitFrame {
  GifFrameInfo info;
  std::vector<std::uint8_t> image;  // the one-image GIF
  std::int32_t offset = 0;          // where the frame's blocks begin in the data
};

struct SplitResult {
  std::int32_t counted = 0;  // frames found by the walk
  std::vector<SplitFrame> frames;
};

SplitResult SplitExact(const std::vector<std::uint8_t>& data);

// The frames' values alone, as the player takes them.
std::vector<GifFrameInfo> FrameInfos(const std::vector<std::uint8_t>& data);
