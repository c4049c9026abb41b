#include "core/pixel_layout.h"

#include <algorithm>
#include <bit>

#include "core/xrgb.h"

namespace {

struct Channel {
  int shift, bits;
};

Channel Of(std::uint32_t mask) {
  if (mask == 0) return {0, 0};
  return {std::countr_zero(mask), std::popcount(mask)};
}

std::uint32_t Place(int value, Channel c) {
  const std::uint32_t v = c.bits >= 8 ? std::uint32_t(value) << (c.bits - 8)
                                      : std::uint32_t(value) >> (8 - c.bits);
  return v << c.shift;
}

int Take(std::uint32_t pixel, std::uint32_t mask, Channel c) {
  const std::uint32_t v = (pixel & mask) >> c.shift;
  if (c.bits >= 8) return int(v >> (c.bits - 8));
  // Widened by repeating the top bits, so that full scale stays 255.
  std::uint32_t wide = v << (8 - c.bits);
  for (int filled = c.bits; filled < 8; filled += c.bits) wide |= wide >> c.bits;
  return int(wide & 0xFF);
}

bool IsXrgb(const PixelLayout& l) {
  return l.bitsPerPixel == 32 && l.redMask == 0xFF0000 && l.greenMask == 0xFF00 &&
         l.blueMask == 0xFF;
}

}  // namespace

bool Supported(const PixelLayout& l) {
  return (l.bitsPerPixel == 16 || l.bitsPerPixel == 24 || l.bitsPerPixel == 32) && l.redMask &&
         l.greenMask && l.blueMask;
}

void WriteImage(const Raster& from, Rect area, const PixelLayout& layout, std::uint8_t* image,
                int bytesPerLine) {
  const int left = std::max(area.left, 0), top = std::max(area.top, 0);
  const int right = std::min(area.right, from.Width()), bottom = std::min(area.bottom, from.Height());
  if (right <= left || bottom <= top) return;
  if (IsXrgb(layout)) {
    WriteXrgb(from, area, image, bytesPerLine,
              layout.msbFirst ? WordOrder::kBigEndian : WordOrder::kLittleEndian);
    return;
  }
  const int bytes = layout.bitsPerPixel / 8;
  const Channel r = Of(layout.redMask), g = Of(layout.greenMask), b = Of(layout.blueMask);
  for (int y = top; y < bottom; ++y) {
    const std::uint8_t* in = from.Row(y) + left * Raster::kBytesPerPixel;
    std::uint8_t* out = image + std::size_t(y) * bytesPerLine + std::size_t(left) * bytes;
    for (int x = left; x < right; ++x, in += 3, out += bytes) {
      const std::uint32_t pixel = Place(in[2], r) | Place(in[1], g) | Place(in[0], b);
      for (int i = 0; i < bytes; ++i) {
        const int byte = layout.msbFirst ? bytes - 1 - i : i;
        out[i] = std::uint8_t(pixel >> (8 * byte));
      }
    }
  }
}

void ReadImage(const std::uint8_t* image, std::ptrdiff_t bytesPerLine, const PixelLayout& layout,
               Raster& into) {
  const int bytes = layout.bitsPerPixel / 8;
  const Channel r = Of(layout.redMask), g = Of(layout.greenMask), b = Of(layout.blueMask);
  for (int y = 0; y < into.Height(); ++y) {
    const std::uint8_t* in = image + y * bytesPerLine;
    std::uint8_t* out = into.Row(y);
    for (int x = 0; x < into.Width(); ++x, in += bytes, out += 3) {
      std::uint32_t pixel = 0;
      for (int i = 0; i < bytes; ++i) {
        const int byte = layout.msbFirst ? bytes - 1 - i : i;
        pixel |= std::uint32_t(in[i]) << (8 * byte);
      }
      out[0] = std::uint8_t(Take(pixel, layout.blueMask, b));
      out[1] = std::uint8_t(Take(pixel, layout.greenMask, g));
      out[2] = std::uint8_t(Take(pixel, layout.redMask, r));
    }
  }
}
