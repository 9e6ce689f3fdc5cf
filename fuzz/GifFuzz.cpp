// libFuzzer entry: the splitter and the player on arbitrary bytes. Out-of-bounds reads,
// leaks and undefined behaviour are caught by the sanitizers; broken invariants abort here.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "GifSplitterCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string fault = CheckGifSplitter(data, size);
  if (!fault.empty()) {
    std::fprintf(stderr, "gif_fuzz: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
