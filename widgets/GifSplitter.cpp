#include "widgets/GifSplitter.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

namespace {

constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kTrailerByte = 0x3B;

constexpr std::uint8_t kApplicationLabel = 0xFF;
constexpr std::uint8_t kCommentLabel = 0xFE;
constexpr std::uint8_t kGraphicControlLabel = 0xF9;
constexpr std::uint8_t kPlainTextLabel = 0x01;

// Fixed parts of the blocks. The block-size bytes inside the data are deliberately not consulted:
// the standard fixes them (11 for the application header, 12 for the plain-text header, 4 for the
// graphic control extension), and trusting a corrupt one would only make the walk less predictable.
constexpr std::int64_t kApplicationHeader = 14;    // 0x21 0xFF 0x0B + 8 identifier + 3 code
constexpr std::int64_t kCommentHeader = 2;         // 0x21 0xFE
constexpr std::int64_t kGraphicControlLength = 8;  // 0x21 0xF9 0x04 + 4 bytes + terminator
constexpr std::int64_t kPlainTextHeader = 15;      // 0x21 0x01 0x0C + 12 bytes
constexpr std::int64_t kImageHeader = 11;          // 0x2C + 8 geometry + packed + LZW code size

constexpr std::int64_t kImagePackedOffset = 9;
constexpr std::uint8_t kColourTableFlag = 0x80;

std::int32_t ColourTableSize(std::uint8_t packed) {
  if ((packed & kColourTableFlag) == 0) return 0;
  return 3 << ((packed & 7) + 1);
}

void* AllocateHeapBlock(std::size_t bytes) { return std::malloc(bytes == 0 ? 1 : bytes); }

void ReleaseHeapBlock(void* block) { std::free(block); }

}  // namespace

GifBlockAllocator HeapGifBlockAllocator() { return {&AllocateHeapBlock, &ReleaseHeapBlock}; }

bool HasGifSignature(const std::uint8_t* data, std::size_t size) {
  return data != nullptr && size >= 3 && data[0] == 'G' && data[1] == 'I' && data[2] == 'F';
}

// The walk comes first and the copies after it: on a large GIF the walk, a chain of dependent
// reads across the whole file, costs about as much as copying it, so it is done once.
GifSplit SplitGif(const std::uint8_t* data, std::size_t size, const GifFrameSink& sink,
                  GifBlockAllocator allocator) {
  GifSplit split;
  GifBlockWalker walker;
  if (!walker.Attach(data, size)) return split;
  split.screenWidth = walker.ScreenWidth();
  split.screenHeight = walker.ScreenHeight();
  std::vector<GifFrameSpan> spans;
  for (GifFrameSpan span; walker.AdvancePastFrame(&span);) spans.push_back(span);
  split.counted = static_cast<std::int32_t>(spans.size());

  // Every frame was walked from the first block on, so the prefix lies inside the data.
  const std::size_t prefix = static_cast<std::size_t>(walker.FirstBlockOffset());
  for (const GifFrameSpan& span : spans) {
    const std::size_t length = static_cast<std::size_t>(span.end - span.start);
    const std::size_t total = prefix + length + 1;
    GifSplitFrame frame{GifBlock(static_cast<std::uint8_t*>(allocator.allocate(total)),
                                 GifBlockRelease{allocator.release}),
                        static_cast<std::uint32_t>(total), span.info, span.start};
    if (!frame.image) break;
    std::memcpy(frame.image.get(), data, prefix);
    std::memcpy(frame.image.get() + prefix, data + span.start, length);
    frame.image[total - 1] = kTrailerByte;
    sink(split, frame);
  }
  return split;
}

bool GifBlockWalker::Attach(const std::uint8_t* data, std::size_t size) {
  *this = GifBlockWalker();
  if (data == nullptr || size > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    return false;
  data_ = data;
  size_ = static_cast<std::int32_t>(size);
  global_colour_table_size_ = Holds(10, 1) ? ColourTableSize(ByteAt(10)) : 0;
  screen_width_ = Holds(6, 2) ? Uint16At(6) : 0;
  screen_height_ = Holds(8, 2) ? Uint16At(8) : 0;
  parse_offset_ = FirstBlockOffset();
  return true;
}

bool GifBlockWalker::Holds(std::int64_t position, std::int64_t count) const {
  return data_ != nullptr && position >= 0 && count >= 0 && position + count <= size_;
}

std::uint16_t GifBlockWalker::Uint16At(std::int64_t position) const {
  return static_cast<std::uint16_t>(data_[position] | (data_[position + 1] << 8));
}

GifBlockKind GifBlockWalker::ClassifyBlock() const {
  if (!Holds(parse_offset_, 1)) return GifBlockKind::Unrecognised;
  switch (ByteAt(parse_offset_)) {
    case kImageSeparator:
      return GifBlockKind::ImageDescriptor;
    case kTrailerByte:
      return GifBlockKind::Trailer;
    case kExtensionIntroducer:
      break;
    default:
      return GifBlockKind::Unrecognised;
  }
  if (!Holds(parse_offset_ + 1, 1)) return GifBlockKind::Unrecognised;
  switch (ByteAt(parse_offset_ + 1)) {
    case kApplicationLabel:
      return GifBlockKind::ApplicationExtension;
    case kCommentLabel:
      return GifBlockKind::CommentExtension;
    case kGraphicControlLabel:
      return GifBlockKind::GraphicControlExtension;
    case kPlainTextLabel:
      return GifBlockKind::PlainTextExtension;
    default:
      return GifBlockKind::Unrecognised;
  }
}

// A chain that is not terminated inside the data is measured up to the end of its last sub-block
// whose length byte lies inside the data, at the length that byte claims (which may itself reach
// past the end), plus one for the terminator that is missing. Either way the measured chain, and
// so whatever block holds it, ends beyond the data.
//
// Walking a chain is a chain of dependent loads: each length byte says where the next one is, and
// in a large GIF nearly every one is a cache miss, so one after the other they would cost a memory
// latency per sub-block. But image data is almost all full sub-blocks (length 255, so length bytes
// 256 apart). So the walk first tries kRun full sub-blocks at once: their length bytes are read as
// independent loads, and the step past them is a constant that does not wait for the loaded
// values (only a well-predicted branch does), which lets the processor run many such groups ahead
// and keep their misses in flight together. Anything else is walked one sub-block at a time.
std::int64_t GifBlockWalker::ChainLength(std::int64_t position) const {
  constexpr std::int64_t kFull = 256;  // a full sub-block with its length byte
  constexpr int kRun = 8;
  std::int64_t total = 0;
  for (;;) {
    while (Holds(position, (kRun - 1) * kFull + 1)) {
      bool all_full = true;
      for (int i = 0; i < kRun; ++i) all_full = all_full & (ByteAt(position + i * kFull) == 255);
      if (!all_full) break;
      total += kRun * kFull;
      position += kRun * kFull;
    }
    if (!Holds(position, 1)) break;
    const std::uint8_t length = ByteAt(position);
    if (length == 0) break;
    total += length + 1;
    position += length + 1;
  }
  return total + 1;
}

std::int64_t GifBlockWalker::LengthOfBlock(GifBlockKind kind) const {
  const std::int64_t at = parse_offset_;
  switch (kind) {
    case GifBlockKind::ApplicationExtension:
      return kApplicationHeader + ChainLength(at + kApplicationHeader);
    case GifBlockKind::CommentExtension:
      return kCommentHeader + ChainLength(at + kCommentHeader);
    case GifBlockKind::GraphicControlExtension:
      return kGraphicControlLength;
    case GifBlockKind::PlainTextExtension:
      return kPlainTextHeader + ChainLength(at + kPlainTextHeader);
    case GifBlockKind::ImageDescriptor: {
      // A missing packed byte means the descriptor is cut off; "no local table" then still gives
      // a length beyond the data.
      const std::int64_t local_table =
          Holds(at + kImagePackedOffset, 1) ? ColourTableSize(ByteAt(at + kImagePackedOffset)) : 0;
      return kImageHeader + local_table + ChainLength(at + kImageHeader + local_table);
    }
    case GifBlockKind::Trailer:
      return 1;
    case GifBlockKind::Unrecognised:
      break;
  }
  return -1;
}

std::int32_t GifBlockWalker::BlockLength() const {
  const std::int64_t length = LengthOfBlock(ClassifyBlock());
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(length > kMax ? kMax : length);
}

std::int32_t GifBlockWalker::SubBlockChainLength(std::int32_t position) const {
  const std::int64_t length = ChainLength(position);
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(length > kMax ? kMax : length);
}

bool GifBlockWalker::AdvancePastBlock() {
  if (data_ == nullptr) return false;
  const std::int32_t length = BlockLength();
  if (length <= 0) return false;
  if (static_cast<std::int64_t>(parse_offset_) + length > size_) return false;
  parse_offset_ += length;
  return true;
}

bool GifBlockWalker::AdvancePastFrame(GifFrameSpan* span) {
  if (data_ == nullptr) return false;

  // Extensions ahead of a frame's graphic control extension belong to no frame.
  GifBlockKind kind = ClassifyBlock();
  while (kind == GifBlockKind::ApplicationExtension || kind == GifBlockKind::CommentExtension) {
    if (!AdvancePastBlock()) return false;
    kind = ClassifyBlock();
  }
  if (kind == GifBlockKind::Unrecognised || kind == GifBlockKind::Trailer) return false;

  const std::int32_t start = parse_offset_;
  if (BlockLength() <= 0) return false;

  GifFrameInfo info;  // afresh: no delay of its own, disposal 0, empty rectangle
  if (kind == GifBlockKind::GraphicControlExtension) {
    if (!AdvancePastBlock()) return false;
    // Read only now that the whole extension is known to lie inside the data.
    info.disposal = (ByteAt(start + 3) >> 2) & 7;
    info.delay = Uint16At(start + 4);
    kind = ClassifyBlock();
    while (kind != GifBlockKind::ImageDescriptor && kind != GifBlockKind::PlainTextExtension) {
      if (kind == GifBlockKind::Unrecognised || kind == GifBlockKind::Trailer) return false;
      if (!AdvancePastBlock()) return false;  // extensions between it and the image: kept
      kind = ClassifyBlock();
    }
  }

  const std::int32_t graphic = parse_offset_;
  if (!AdvancePastBlock()) return false;
  // Image descriptor: left, top, width, height at +1. Plain-text header: the text grid's left,
  // top, width and height at +3 (after introducer, label and block size). Both lie inside the
  // block's fixed part, which AdvancePastBlock has just found inside the data.
  const std::int64_t rect = graphic + (kind == GifBlockKind::ImageDescriptor ? 1 : 3);
  info.left = Uint16At(rect);
  info.top = Uint16At(rect + 2);
  info.width = Uint16At(rect + 4);
  info.height = Uint16At(rect + 6);

  if (span != nullptr) *span = GifFrameSpan{start, parse_offset_, info};
  return true;
}
