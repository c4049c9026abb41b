#include "core/xrgb.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

// Four pixels from three 32-bit loads and four stores, on a little-endian
// machine writing little-endian words: the raster's B, G, R are the word's
// low three bytes already.
void RowToLittleEndian(const std::uint8_t* in, std::uint8_t* out, int count) {
  int x = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; x + 4 <= count; x += 4, in += 12, out += 16) {
      std::uint32_t word[3], pixel[4];
      std::memcpy(word, in, 12);
      pixel[0] = word[0] & 0xFFFFFF;
      pixel[1] = (word[0] >> 24 | word[1] << 8) & 0xFFFFFF;
      pixel[2] = (word[1] >> 16 | word[2] << 16) & 0xFFFFFF;
      pixel[3] = word[2] >> 8;
      std::memcpy(out, pixel, 16);
    }
  }
  for (; x < count; ++x, in += 3, out += 4) out[0] = in[0], out[1] = in[1], out[2] = in[2], out[3] = 0;
}

void RowToBigEndian(const std::uint8_t* in, std::uint8_t* out, int count) {
  for (int x = 0; x < count; ++x, in += 3, out += 4) out[0] = 0, out[1] = in[2], out[2] = in[1], out[3] = in[0];
}

}  // namespace

void WriteXrgb(const Raster& from, Rect area, std::uint8_t* pixels, int stride, WordOrder order) {
  const int left = std::max(area.left, 0), top = std::max(area.top, 0);
  const int right = std::min(area.right, from.Width()), bottom = std::min(area.bottom, from.Height());
  if (right <= left || bottom <= top) return;
  const auto row = order == WordOrder::kLittleEndian ? RowToLittleEndian : RowToBigEndian;
  for (int y = top; y < bottom; ++y)
    row(from.Row(y) + left * Raster::kBytesPerPixel, pixels + std::size_t(y) * stride + std::size_t(left) * 4,
        right - left);
}
