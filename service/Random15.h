#pragma once
// The auto-record worker's pseudo-random generator: the C library's classic 15-bit generator
// (the linear congruential one of the C standard's example), kept as an object of its own.
// The C library's rand cannot serve: on Windows its state lives per thread, so a seed set on the
// user-interface thread would never reach the worker, and elsewhere its range is not 15 bits.
#include <cstdint>

namespace vesk {

class Random15 {
 public:
  static constexpr int kMax = 32767;

  explicit Random15(std::uint32_t seed = 1) : state_(seed) {}
  void Seed(std::uint32_t seed) { state_ = seed; }
  // The next value, 0 to kMax.
  int Next() {
    state_ = state_ * 1103515245u + 12345u;
    return static_cast<int>((state_ / 65536u) % 32768u);
  }

 private:
  std::uint32_t state_;
};

// The length of one recording of the auto-record cycle, and of the pause after it, for a draw r:
// 10 000 + r milliseconds, between 10 000 and 42 767.
constexpr std::uint32_t AutoRecordDelayMs(int r) {
  return static_cast<std::uint32_t>(r % 600000) + 10000u;
}

}  // namespace vesk
