#include "PhotoGif.h"

#include <gif_lib.h>

#include <cmath>
#include <stdexcept>
#include <string>

namespace {

int AppendToVector(GifFileType* gif, const GifByteType* bytes, int count) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
  out->insert(out->end(), bytes, bytes + count);
  return count;
}

void Check(int result, GifFileType* gif, const char* what) {
  if (result != GIF_OK) throw std::runtime_error(std::string(what) + ": " + GifErrorString(gif->Error));
}

}  // namespace

std::vector<std::uint8_t> WritePhotoLikeGif(int frames, int width, int height) {
  std::vector<std::uint8_t> out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, &AppendToVector, &error);
  if (gif == nullptr) throw std::runtime_error(GifErrorString(error));
  EGifSetGifVersion(gif, true);

  ColorMapObject* palette = GifMakeMapObject(256, nullptr);
  for (int i = 0; i < 256; ++i) {  // a warm ramp, as of skin and wood
    palette->Colors[i].Red = static_cast<GifByteType>(i);
    palette->Colors[i].Green = static_cast<GifByteType>(i * 3 / 4 + 20);
    palette->Colors[i].Blue = static_cast<GifByteType>(i / 2 + 30);
  }
  Check(EGifPutScreenDesc(gif, width, height, 8, 0, palette), gif, "screen descriptor");
  GifFreeMapObject(palette);

  const GifByteType looping[] = {1, 0, 0};
  Check(EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE), gif, "looping");
  Check(EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0"), gif, "looping");
  Check(EGifPutExtensionBlock(gif, 3, looping), gif, "looping");
  Check(EGifPutExtensionTrailer(gif), gif, "looping");

  std::vector<int> columns(static_cast<std::size_t>(width) * 2);
  for (std::size_t x = 0; x < columns.size(); ++x)
    columns[x] = static_cast<int>(60 * std::sin(x * 0.021) + 25 * std::sin(x * 0.113));
  std::vector<int> rows(height);
  for (int y = 0; y < height; ++y)
    rows[y] = static_cast<int>(128 + 50 * std::cos(y * 0.017) + 15 * std::sin(y * 0.09));

  std::uint32_t grain = 0x9E3779B9u;
  std::vector<GifPixelType> line(width);
  for (int f = 0; f < frames; ++f) {
    // delay 4/100 s, disposal 1 (do not dispose)
    const GifByteType control[] = {0x04, 4, 0, 0};
    Check(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control), gif, "graphic control");
    Check(EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr), gif, "image descriptor");
    const int shift = (f * 7) % width;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        grain ^= grain << 13;
        grain ^= grain >> 17;
        grain ^= grain << 5;
        const int v = rows[y] + columns[x + shift] + static_cast<int>(grain % 25) - 12;
        line[x] = static_cast<GifPixelType>(v < 0 ? 0 : v > 255 ? 255 : v);
      }
      Check(EGifPutLine(gif, line.data(), width), gif, "image line");
    }
  }
  if (EGifCloseFile(gif, &error) != GIF_OK) throw std::runtime_error(GifErrorString(error));
  return out;
}
