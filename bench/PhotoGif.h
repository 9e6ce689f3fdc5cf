#pragma once
// A large animated GIF for the benchmarks, written by giflib's encoder into memory: photo-like
// frames (smooth gradients moving from frame to frame, with grain), which LZW compresses about as
// badly as it does real photographs, so the file is as big as such an animation would be.
#include <cstdint>
#include <vector>

std::vector<std::uint8_t> WritePhotoLikeGif(int frames, int width, int height);
