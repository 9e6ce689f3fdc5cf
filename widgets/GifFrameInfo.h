#pragma once
// What the splitter tells about one frame of an animated GIF, and what the animation loop needs
// of it: where on the logical screen it is drawn, how long it stays and how it is disposed of.
#include <cstdint>

// The delay of a frame that has no graphic control extension: "no delay of its own".
constexpr std::uint32_t kNoFrameDelay = 0xFFFFFFFFu;

struct GifFrameInfo {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::uint32_t delay = kNoFrameDelay;  // hundredths of a second, or kNoFrameDelay
  std::uint32_t disposal = 0;           // 0 to 7; 0 without a graphic control extension
};
