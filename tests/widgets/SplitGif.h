#pragma once
// Runs the picture control's load sequence (attach, counting pass, extraction) over a copy of the
// data in a heap block of exactly its size, so that the address sanitizer reports any read past
// the end, and returns what it yields.
#include <cstdint>
#include <vector>

#include "widgets/GifFrameInfo.h"

struct SplitFrame {
  GifFrameInfo info;
  std::vector<std::uint8_t> image;  // the one-image GIF
};

struct SplitResult {
  std::int32_t counted = 0;  // frames found by the counting pass
  std::vector<SplitFrame> frames;
};

SplitResult SplitGif(const std::vector<std::uint8_t>& data);
