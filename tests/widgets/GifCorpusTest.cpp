// Every input kept beside the fuzz target (its seeds, and each input that ever found a fault)
// goes through the same checks as in the fuzzer, so a fault once found stays found.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "GifBuilder.h"
#include "GifSplitterCheck.h"

namespace {

namespace fs = std::filesystem;

std::string CheckExactCopy(const Bytes& data) {
  std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[data.empty() ? 1 : data.size()]);
  std::copy(data.begin(), data.end(), exact.get());
  return CheckGifSplitter(exact.get(), data.size());
}

void ReplayFolder(const fs::path& folder, std::size_t* replayed) {
  if (!fs::is_directory(folder)) return;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    if (!entry.is_regular_file() || entry.path().filename().string().front() == '.') continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const Bytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ("", CheckExactCopy(data)) << entry.path();
    ++*replayed;
  }
}

TEST(GifCorpus, SeedsAndRegressionsPassEveryCheck) {
  std::size_t seeds = 0;
  std::size_t regressions = 0;
  ReplayFolder(fs::path(SIVREL_GIF_CORPUS_DIR) / "seeds", &seeds);
  ReplayFolder(fs::path(SIVREL_GIF_CORPUS_DIR) / "regressions", &regressions);
  EXPECT_GT(seeds, 0u) << "the fuzz seeds are missing";
  EXPECT_GT(regressions, 0u) << "the regression corpus is missing";
}

TEST(GifCorpus, EveryPrefixOfAMixedGifPassesEveryCheck) {
  GifBuilder gif(20, 20, 3);
  gif.Comment("lead").Looping()
      .GraphicControl(10, 1).Comment("c").Looping().Image(0, 0, 20, 20)
      .GraphicControl(3, 3).Image(5, 5, 10, 10, 4)
      .Image(1, 1, 2, 2)
      .GraphicControl(8, 2).PlainText(0, 0, 20, 8, "text")
      .Trailer();
  for (std::size_t n = 0; n <= gif.size(); ++n) {
    const Bytes prefix(gif.bytes().begin(), gif.bytes().begin() + n);
    ASSERT_EQ("", CheckExactCopy(prefix)) << "prefix of " << n << " bytes";
  }
}

}  // namespace
