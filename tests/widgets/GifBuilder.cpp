#include "GifBuilder.h"

#include <algorithm>
#include <stdexcept>

namespace {

class CodeWriter {
 public:
  void Write(int code, int width) {
    accumulator_ |= static_cast<std::uint32_t>(code) << bits_;
    bits_ += width;
    while (bits_ >= 8) {
      out_.push_back(static_cast<std::uint8_t>(accumulator_ & 0xFF));
      accumulator_ >>= 8;
      bits_ -= 8;
    }
  }
  Bytes Finish() {
    if (bits_ > 0) out_.push_back(static_cast<std::uint8_t>(accumulator_ & 0xFF));
    return out_;
  }

 private:
  Bytes out_;
  std::uint32_t accumulator_ = 0;
  int bits_ = 0;
};

}  // namespace

std::uint8_t PatternPixel(int x, int y, int colours) {
  return static_cast<std::uint8_t>((x + 2 * y) % colours);
}

Bytes EncodeImageData(const Bytes& pixels, int min_code_size) {
  // Only literal codes: the decoder adds one table entry per code after the first, so a clear
  // code every 2^m - 2 literals keeps the table (and the code width m + 1) from growing.
  const int clear = 1 << min_code_size;
  const int width = min_code_size + 1;
  const std::size_t run = static_cast<std::size_t>(clear - 2);
  CodeWriter writer;
  for (std::size_t i = 0; i < pixels.size(); i += run) {
    writer.Write(clear, width);
    const std::size_t end = std::min(pixels.size(), i + run);
    for (std::size_t j = i; j < end; ++j) writer.Write(pixels[j], width);
  }
  writer.Write(clear + 1, width);
  const Bytes codes = writer.Finish();

  Bytes out;
  out.push_back(static_cast<std::uint8_t>(min_code_size));
  for (std::size_t i = 0; i < codes.size(); i += 255) {
    const std::size_t n = std::min<std::size_t>(255, codes.size() - i);
    out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), codes.begin() + i, codes.begin() + i + n);
  }
  out.push_back(0);
  return out;
}

GifBuilder::GifBuilder(int width, int height, int global_table_bits)
    : global_table_bits_(global_table_bits) {
  const char signature[] = "GIF89a";
  bytes_.assign(signature, signature + 6);
  Put16(width);
  Put16(height);
  Put(global_table_bits > 0 ? static_cast<std::uint8_t>(0x80 | 0x70 | (global_table_bits - 1))
                            : 0x00);
  Put(0);  // background colour index
  Put(0);  // pixel aspect ratio
  if (global_table_bits > 0) PutColourTable(global_table_bits);
  header_size_ = bytes_.size();
}

void GifBuilder::Begin() { block_start_ = bytes_.size(); }

void GifBuilder::End() { blocks_.push_back({block_start_, bytes_.size() - block_start_}); }

void GifBuilder::Put16(int v) {
  Put(static_cast<std::uint8_t>(v & 0xFF));
  Put(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void GifBuilder::PutChain(const Bytes& data) {
  for (std::size_t i = 0; i < data.size(); i += 255) {
    const std::size_t n = std::min<std::size_t>(255, data.size() - i);
    Put(static_cast<std::uint8_t>(n));
    bytes_.insert(bytes_.end(), data.begin() + i, data.begin() + i + n);
  }
  Put(0);
}

void GifBuilder::PutColourTable(int bits) {
  const int entries = 1 << bits;
  for (int i = 0; i < entries; ++i) {
    Put(static_cast<std::uint8_t>(i * 255 / entries));
    Put(static_cast<std::uint8_t>(255 - i * 255 / entries));
    Put(static_cast<std::uint8_t>((i * 97) & 0xFF));
  }
}

GifBuilder& GifBuilder::Comment(const std::string& text) {
  Begin();
  Put(0x21);
  Put(0xFE);
  PutChain(Bytes(text.begin(), text.end()));
  End();
  return *this;
}

GifBuilder& GifBuilder::Looping(std::uint16_t repeats) {
  return Application("NETSCAPE2.0", {0x01, static_cast<std::uint8_t>(repeats & 0xFF),
                                     static_cast<std::uint8_t>(repeats >> 8)});
}

GifBuilder& GifBuilder::Application(const std::string& identifier11, const Bytes& data) {
  if (identifier11.size() != 11) throw std::invalid_argument("application identifier + code: 11");
  Begin();
  Put(0x21);
  Put(0xFF);
  Put(11);
  bytes_.insert(bytes_.end(), identifier11.begin(), identifier11.end());
  PutChain(data);
  End();
  return *this;
}

GifBuilder& GifBuilder::GraphicControl(std::uint16_t delay, int disposal, bool transparent,
                                       std::uint8_t transparent_index) {
  Begin();
  Put(0x21);
  Put(0xF9);
  Put(4);
  Put(static_cast<std::uint8_t>(((disposal & 7) << 2) | (transparent ? 1 : 0)));
  Put16(delay);
  Put(transparent_index);
  Put(0);
  End();
  return *this;
}

GifBuilder& GifBuilder::Image(int left, int top, int width, int height, int local_table_bits) {
  Begin();
  Put(0x2C);
  Put16(left);
  Put16(top);
  Put16(width);
  Put16(height);
  Put(local_table_bits > 0 ? static_cast<std::uint8_t>(0x80 | (local_table_bits - 1)) : 0x00);
  if (local_table_bits > 0) PutColourTable(local_table_bits);
  const int bits = local_table_bits > 0 ? local_table_bits : std::max(global_table_bits_, 1);
  const int colours = 1 << bits;
  Bytes pixels;
  pixels.reserve(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels.push_back(PatternPixel(x, y, colours));
  const Bytes data = EncodeImageData(pixels, std::max(bits, 2));
  bytes_.insert(bytes_.end(), data.begin(), data.end());
  End();
  return *this;
}

GifBuilder& GifBuilder::PlainText(int grid_left, int grid_top, int grid_width, int grid_height,
                                  const std::string& text) {
  Begin();
  Put(0x21);
  Put(0x01);
  Put(12);
  Put16(grid_left);
  Put16(grid_top);
  Put16(grid_width);
  Put16(grid_height);
  Put(8);  // character cell width
  Put(8);  // character cell height
  Put(1);  // foreground colour index
  Put(0);  // background colour index
  PutChain(Bytes(text.begin(), text.end()));
  End();
  return *this;
}

GifBuilder& GifBuilder::Raw(const Bytes& bytes) {
  Begin();
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  End();
  return *this;
}

GifBuilder& GifBuilder::Trailer() {
  Begin();
  Put(0x3B);
  End();
  return *this;
}
