#pragma once
// Cuts an animated GIF held in memory into frames. Only the GIF89a block structure is parsed:
// colour tables and LZW data are left to the picture decoder, which gets each frame as a
// stand-alone one-image GIF (the data's header, logical screen descriptor and global colour table,
// then the frame's blocks, then a trailer). SplitGif does the whole job; GifBlockWalker is its
// parser, one block or one frame at a time.
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
// Frame values. Every frame starts from nothing: delay kNoFrameDelay, disposal 0 and an empty
// rectangle, so no value of an earlier frame carries over. An image frame's rectangle is its image
// descriptor's; a plain-text frame, which has no image descriptor, gets the rectangle of its text
// grid (the text grid left, top, width and height of the plain-text header), which is the area of
// the logical screen that the frame would draw on.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// The delay of a frame that has no graphic control extension: "no delay of its own".
constexpr std::uint32_t kNoFrameDelay = 0xFFFFFFFFu;

// What the GIF says about one frame: where on the logical screen it is drawn, how long it stays
// and how it is disposed of.
struct GifFrameInfo {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::uint32_t delay = kNoFrameDelay;  // hundredths of a second, or kNoFrameDelay
  std::uint32_t disposal = 0;           // 0 to 7; 0 without a graphic control extension
};

// Where the one-image GIFs live. On Windows each one is a fixed global memory block (the pointer
// is its own HGLOBAL) that a stream can take over and free; natively plain heap memory stands in.
struct GifBlockAllocator {
  void* (*allocate)(std::size_t bytes);  // null when the block cannot be had
  void (*release)(void* block);          // accepts null
};

// malloc/free.
GifBlockAllocator HeapGifBlockAllocator();

// Frees a one-image GIF the way its allocator says.
struct GifBlockRelease {
  void (*release)(void* block) = nullptr;
  void operator()(std::uint8_t* block) const {
    if (release != nullptr) release(block);
  }
};
using GifBlock = std::unique_ptr<std::uint8_t[], GifBlockRelease>;

struct GifSplitFrame {
  GifBlock image;            // the one-image GIF
  std::uint32_t length = 0;  // its bytes
  GifFrameInfo info;
  std::int32_t offset = 0;   // where the frame's blocks begin in the data
};

struct GifSplit {
  std::int32_t screenWidth = 0;
  std::int32_t screenHeight = 0;
  // The frames the walk found. All of them are handed over unless a block cannot be allocated;
  // then those before that one are.
  std::int32_t counted = 0;
};

// Takes each frame, in file order, as soon as it is copied. `split` already tells the screen and
// the number of frames. Whatever the sink leaves in `frame.image` is freed when it returns.
using GifFrameSink = std::function<void(const GifSplit& split, GifSplitFrame& frame)>;

// True when the data begins with "GIF" (the version bytes are not examined).
bool HasGifSignature(const std::uint8_t* data, std::size_t size);

// Walks the whole GIF once, then copies one frame after the other into a one-image GIF of its
// own and hands it to `sink`, so that no more than one copy need be held at a time. `data` is
// only read during the call. Null data, data of 2 GiB or more and data without frames split into
// nothing.
GifSplit SplitGif(const std::uint8_t* data, std::size_t size, const GifFrameSink& sink,
                  GifBlockAllocator allocator = HeapGifBlockAllocator());

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

// One frame as the walk finds it: its blocks run from `start` to `end` of the data.
struct GifFrameSpan {
  std::int32_t start = 0;  // its first block (its graphic control extension, if it has one)
  std::int32_t end = 0;
  GifFrameInfo info;
};

class GifBlockWalker {
 public:
  // Header and logical screen descriptor: the first block follows them (and the global colour
  // table) at offset 13 + global colour table size.
  static constexpr std::int32_t kHeaderSize = 13;

  // Sets up the walk: data view, data size, global colour table size from the packed byte at 10,
  // the logical screen size, and the parse offset at the first block. The data must stay valid
  // while the walker is used. Fails for null data and for data of 2 GiB or more, leaving the
  // walker detached.
  bool Attach(const std::uint8_t* data, std::size_t size);
  bool IsAttached() const { return data_ != nullptr; }

  std::int32_t DataSize() const { return size_; }
  std::int32_t GlobalColourTableSize() const { return global_colour_table_size_; }
  std::int32_t FirstBlockOffset() const { return kHeaderSize + global_colour_table_size_; }
  std::int32_t ScreenWidth() const { return screen_width_; }
  std::int32_t ScreenHeight() const { return screen_height_; }

  std::int32_t ParseOffset() const { return parse_offset_; }
  void SetParseOffset(std::int32_t offset) { parse_offset_ = offset; }

  GifBlockKind ClassifyBlock() const;
  // Length of the block at the parse offset, introducer included; -1 for an Unrecognised block.
  std::int32_t BlockLength() const;
  // Length of the sub-block chain at `position`: every length byte, data byte and the terminator.
  std::int32_t SubBlockChainLength(std::int32_t position) const;
  // Moves the parse offset past the block at it, if that block lies wholly inside the data.
  bool AdvancePastBlock();
  // Moves the parse offset past the next frame: the extensions ahead of its graphic control
  // extension (which belong to no frame), then its own blocks. Fills `span` when given. False,
  // with the parse offset somewhere inside the failed frame, when no whole frame follows.
  bool AdvancePastFrame(GifFrameSpan* span = nullptr);

 private:
  bool Holds(std::int64_t position, std::int64_t count) const;
  std::uint8_t ByteAt(std::int64_t position) const { return data_[position]; }
  std::uint16_t Uint16At(std::int64_t position) const;
  std::int64_t ChainLength(std::int64_t position) const;
  std::int64_t LengthOfBlock(GifBlockKind kind) const;

  const std::uint8_t* data_ = nullptr;
  std::int32_t size_ = 0;
  std::int32_t parse_offset_ = 0;
  std::int32_t global_colour_table_size_ = 0;
  std::int32_t screen_width_ = 0;
  std::int32_t screen_height_ = 0;
};
