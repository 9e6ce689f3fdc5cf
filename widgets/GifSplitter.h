#pragma once
// Cuts an animated GIF held in memory into frames. Only the GIF89a block structure is parsed:
// colour tables and LZW data are left to the picture decoder, which gets each frame as a
// stand-alone one-image GIF (the data's header, logical screen descriptor and global colour table,
// then the frame's blocks, then a trailer).
//
// Load sequence: Attach(data, size); CountFrames() (AdvancePastFrame until it fails); then
// ExtractFrame until it fails, handing each block to the decoder; Detach().
//
// Bounds. No byte outside [data, data + size) is ever read, whatever the data. Data that is short,
// cut off or inconsistent is classified as follows:
//   - A parse offset at or beyond the end of the data, or a 0x21 that is the last byte, classifies
//     as Unrecognised. So data that ends without a trailer simply ends the frame walk (the frames
//     before the cut stay), and a GIF shorter than its 13-byte header plus global colour table has
//     no frame at all.
//   - Header fields that lie beyond a short header read as 0 (no global colour table, screen 0 x 0).
//   - A sub-block chain that runs past the end is measured up to the end of its last sub-block
//     whose length byte lies inside the data, at the length that byte claims, plus one for the
//     missing terminator; an image descriptor whose packed byte is missing counts as having no
//     local colour table. Either way the block's length then reaches beyond the data, so
//     AdvancePastBlock refuses it and the walk stops there. A block ending exactly at the end of
//     the data is accepted.
//   - Lengths are added up in 64 bits and BlockLength saturates at INT32_MAX, which always lies
//     beyond the data (every block starts at offset 13 or later), so no sum can wrap round to a
//     small value. Data of 2 GiB or more is not walked at all: Attach refuses it.
//   - The fixed fields of a block (the graphic control extension's delay and disposal, the
//     rectangles) are read only once AdvancePastBlock has found the whole block inside the data.
//
// Frame values. ExtractFrame starts every frame from nothing: delay kNoFrameDelay, disposal 0 and
// an empty rectangle, so no value of an earlier frame carries over. An image frame's rectangle is
// its image descriptor's; a plain-text frame, which has no image descriptor, gets the rectangle of
// its text grid (the text grid left, top, width and height of the plain-text header), which is the
// area of the logical screen that the frame would draw on.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "widgets/GifBlockAllocator.h"
#include "widgets/GifFrameInfo.h"

// The block at the parse offset, by its introducer and (after 0x21) its extension label.
enum class GifBlockKind : std::int32_t {
  Unrecognised = 0,
  ApplicationExtension = 1,     // 0x21 0xFF
  CommentExtension = 2,         // 0x21 0xFE
  GraphicControlExtension = 3,  // 0x21 0xF9
  PlainTextExtension = 4,       // 0x21 0x01
  ImageDescriptor = 5,          // 0x2C
  Trailer = 6,                  // 0x3B
};

// A frame's one-image GIF: a block from the splitter's allocator, owned by the caller, who frees
// it with GifSplitter::ReleaseImage or hands it on to something that frees it the same way.
struct GifImageBlock {
  void* block = nullptr;
  std::uint32_t length = 0;
};

class GifSplitter {
 public:
  // Header and logical screen descriptor: the first block follows them (and the global colour
  // table) at offset 13 + global colour table size.
  static constexpr std::int32_t kHeaderSize = 13;

  explicit GifSplitter(GifBlockAllocator allocator = HeapGifBlockAllocator());

  // True when the data begins with "GIF" (the version bytes are not examined).
  static bool HasGifSignature(const std::uint8_t* data, std::size_t size);

  // Sets up the walk: data view, data size, global colour table size from the packed byte at 10,
  // the logical screen size, and the parse offset at the first block. The data must stay valid
  // until Detach. Fails for null data and for data of 2 GiB or more, leaving the walker detached.
  bool Attach(const std::uint8_t* data, std::size_t size);
  void Detach();
  bool IsAttached() const { return data_ != nullptr; }

  std::int32_t DataSize() const { return size_; }
  std::int32_t GlobalColourTableSize() const { return global_colour_table_size_; }
  std::int32_t FirstBlockOffset() const { return kHeaderSize + global_colour_table_size_; }
  std::int32_t ScreenWidth() const { return screen_width_; }
  std::int32_t ScreenHeight() const { return screen_height_; }

  std::int32_t ParseOffset() const { return parse_offset_; }
  void SetParseOffset(std::int32_t offset) { parse_offset_ = offset; }
  void RewindToFirstBlock() { parse_offset_ = FirstBlockOffset(); }

  // The counting pass: AdvancePastFrame from the first block until it fails; leaves the parse
  // offset back at the first block, ready for extraction. It remembers where each frame lies, so
  // that ExtractFrame at those offsets need not walk the blocks a second time: on a large GIF the
  // walk, a chain of dependent reads across the whole file, costs about as much as copying it.
  std::int32_t CountFrames();

  GifBlockKind ClassifyBlock() const;
  // Length of the block at the parse offset, introducer included; -1 for an Unrecognised block.
  std::int32_t BlockLength() const;
  // Length of the sub-block chain at `position`: every length byte, data byte and the terminator.
  std::int32_t SubBlockChainLength(std::int32_t position) const;
  // Moves the parse offset past the block at it, if that block lies wholly inside the data.
  bool AdvancePastBlock();
  // Moves the parse offset past the next frame (its extensions and its graphic block).
  bool AdvancePastFrame();
  // Like AdvancePastFrame, and also builds the frame's one-image GIF and reads its values. On
  // failure (no further frame, or the block cannot be allocated) `image` is empty and `info` is
  // the fresh default.
  bool ExtractFrame(GifImageBlock& image, GifFrameInfo& info);

  // Frees a block that ExtractFrame yielded and empties `image`.
  void ReleaseImage(GifImageBlock& image) const;

 private:
  struct FrameSpan {
    std::int32_t start = 0;  // offset of the frame's first block (its graphic control extension)
    GifFrameInfo info;
  };
  // One frame as the counting pass found it: a walk from `from` ends at `end`.
  struct CountedFrame {
    std::int32_t from;
    std::int32_t end;
    FrameSpan span;
  };

  bool WalkFrame(FrameSpan* span);
  bool Holds(std::int64_t position, std::int64_t count) const;
  std::uint8_t ByteAt(std::int64_t position) const { return data_[position]; }
  std::uint16_t Uint16At(std::int64_t position) const;
  std::int64_t ChainLength(std::int64_t position) const;
  std::int64_t LengthOfBlock(GifBlockKind kind) const;

  bool TakeCountedFrame(FrameSpan* span);

  GifBlockAllocator allocator_;
  const std::uint8_t* data_ = nullptr;
  std::int32_t size_ = 0;
  std::int32_t parse_offset_ = 0;
  std::int32_t global_colour_table_size_ = 0;
  std::int32_t screen_width_ = 0;
  std::int32_t screen_height_ = 0;
  std::vector<CountedFrame> counted_;  // from the last CountFrames since Attach
  std::size_t next_counted_ = 0;       // the counted frame that extraction is expected at next
};
