// SplitGif, the picture control's load of a GIF, against the plain copy of the same bytes (the limit) and
// against giflib's DGifSlurp (what one might use instead), on one large photo-like animation made
// here. All three report the input size as bytes processed, so their rates compare directly.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstring>
#include <vector>

#include "PhotoGif.h"
#include "widgets/GifSplitter.h"

namespace {

constexpr int kFrames = 200;
constexpr int kWidth = 640;
constexpr int kHeight = 480;

const std::vector<std::uint8_t>& PhotoGif() {
  static const std::vector<std::uint8_t> gif = WritePhotoLikeGif(kFrames, kWidth, kHeight);
  return gif;
}

// The header, logical screen descriptor and global colour table that start every one-image GIF.
std::int32_t HeaderAndTableSize() {
  GifBlockWalker walker;
  walker.Attach(PhotoGif().data(), PhotoGif().size());
  return walker.FirstBlockOffset();
}

// Where each frame's bytes lie, found once, outside the timing, for the copy.
struct FrameSpan {
  std::size_t start;
  std::size_t length;
};

const std::vector<FrameSpan>& FrameSpans() {
  static const std::vector<FrameSpan> spans = [] {
    const std::vector<std::uint8_t>& gif = PhotoGif();
    const std::size_t prefix = static_cast<std::size_t>(HeaderAndTableSize());
    std::vector<FrameSpan> found;
    SplitGif(gif.data(), gif.size(), [&](const GifSplit&, GifSplitFrame& frame) {
      found.push_back({static_cast<std::size_t>(frame.offset), frame.length - prefix - 1});
    });
    return found;
  }();
  return spans;
}

// As the picture control loads: the whole split, each frame into a block of its own, which the
// decoder would then consume and free.
void BM_SplitGif(benchmark::State& state) {
  const std::vector<std::uint8_t>& gif = PhotoGif();
  int copies = 0;
  const GifFrameSink consume = [&copies](const GifSplit&, GifSplitFrame& frame) {
    benchmark::DoNotOptimize(frame.image.get());
    ++copies;
  };
  for (auto _ : state) {
    copies = 0;
    const GifSplit split = SplitGif(gif.data(), gif.size(), consume, HeapGifBlockAllocator());
    if (split.counted != kFrames || copies != kFrames) state.SkipWithError("wrong frame count");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * gif.size());
  state.counters["frames"] = kFrames;
}
BENCHMARK(BM_SplitGif)->Unit(benchmark::kMillisecond);

// The same bytes into the same blocks (header and global table, frame, trailer; one block per
// frame from the same allocator), with the frame boundaries already known: only the copying.
void BM_CopyBytes(benchmark::State& state) {
  const std::vector<std::uint8_t>& gif = PhotoGif();
  const std::vector<FrameSpan>& spans = FrameSpans();
  const GifBlockAllocator allocator = HeapGifBlockAllocator();
  const std::size_t prefix = static_cast<std::size_t>(HeaderAndTableSize());
  for (auto _ : state) {
    for (const FrameSpan& span : spans) {
      const std::size_t total = prefix + span.length + 1;
      auto* block = static_cast<std::uint8_t*>(allocator.allocate(total));
      std::memcpy(block, gif.data(), prefix);
      std::memcpy(block + prefix, gif.data() + span.start, span.length);
      block[total - 1] = 0x3B;
      benchmark::DoNotOptimize(block);
      allocator.release(block);
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * gif.size());
  state.counters["frames"] = static_cast<double>(spans.size());
}
BENCHMARK(BM_CopyBytes)->Unit(benchmark::kMillisecond);

struct MemoryReader {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int count) {
  auto* r = static_cast<MemoryReader*>(gif->UserData);
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(count), r->size - r->at);
  std::memcpy(out, r->data + r->at, n);
  r->at += n;
  return static_cast<int>(n);
}

// giflib decoding the whole file from the same memory.
void BM_GiflibSlurp(benchmark::State& state) {
  const std::vector<std::uint8_t>& gif = PhotoGif();
  for (auto _ : state) {
    MemoryReader reader{gif.data(), gif.size(), 0};
    int error = 0;
    GifFileType* file = DGifOpen(&reader, &ReadFromMemory, &error);
    if (file == nullptr) {
      state.SkipWithError(GifErrorString(error));
      break;
    }
    const int result = DGifSlurp(file);
    const int images = file->ImageCount;
    benchmark::DoNotOptimize(file->SavedImages);
    DGifCloseFile(file, &error);
    if (result != GIF_OK || images != kFrames) {
      state.SkipWithError("giflib did not read every frame");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * gif.size());
  state.counters["frames"] = kFrames;
}
BENCHMARK(BM_GiflibSlurp)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
