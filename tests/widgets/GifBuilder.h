#pragma once
// Builds GIF89a files block by block for the tests: real, decodable images (LZW without
// compression: a clear code before the table grows a bit) as well as deliberately odd block
// sequences. Every block's offset and length are recorded so tests can compare the walk with them.
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// LZW code stream of `pixels` (each below 2^min_code_size), packed into sub-blocks and ended by the
// zero terminator; preceded by the minimum code size byte, as an image's data is.
Bytes EncodeImageData(const Bytes& pixels, int min_code_size);

class GifBuilder {
 public:
  struct Block {
    std::size_t offset;
    std::size_t length;
  };

  // `global_table_bits` 0: no global colour table; n: 2^n entries (1 to 8).
  GifBuilder(int width, int height, int global_table_bits = 2);

  GifBuilder& Comment(const std::string& text);
  GifBuilder& Looping(std::uint16_t repeats = 0);  // the NETSCAPE2.0 application extension
  GifBuilder& Application(const std::string& identifier11, const Bytes& data);
  GifBuilder& GraphicControl(std::uint16_t delay, int disposal, bool transparent = false,
                             std::uint8_t transparent_index = 0);
  // An image of `width` x `height` at (left, top) with a diagonal pattern of the table's colours.
  GifBuilder& Image(int left, int top, int width, int height, int local_table_bits = 0);
  GifBuilder& PlainText(int grid_left, int grid_top, int grid_width, int grid_height,
                        const std::string& text);
  GifBuilder& Raw(const Bytes& bytes);
  GifBuilder& Trailer();

  const Bytes& bytes() const { return bytes_; }
  std::size_t size() const { return bytes_.size(); }
  std::size_t header_size() const { return header_size_; }  // 13 + global colour table
  const std::vector<Block>& blocks() const { return blocks_; }  // in order, the header excluded
  const Block& block(std::size_t i) const { return blocks_.at(i); }

 private:
  void Begin();
  void End();
  void Put(std::uint8_t b) { bytes_.push_back(b); }
  void Put16(int v);
  void PutChain(const Bytes& data);
  void PutColourTable(int bits);

  Bytes bytes_;
  std::vector<Block> blocks_;
  std::size_t header_size_ = 0;
  std::size_t block_start_ = 0;
  int global_table_bits_ = 0;
};

// The same pattern of pixels that GifBuilder::Image writes, for checking a decoder's output.
std::uint8_t PatternPixel(int x, int y, int colours);
