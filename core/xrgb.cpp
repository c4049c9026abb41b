#include "core/xrgb.h"

#include <algorithm>

#include "core/ssse3.h"

namespace {

using RowWriter = void (*)(const std::uint8_t* in, std::uint8_t* out, int count, WordOrder order);

void PixelToWord(const std::uint8_t* in, std::uint8_t* out, WordOrder order) {
  if (order == WordOrder::kLittleEndian)
    out[0] = in[0], out[1] = in[1], out[2] = in[2], out[3] = 0;
  else
    out[0] = 0, out[1] = in[2], out[2] = in[1], out[3] = in[0];
}

void PortableRow(const std::uint8_t* in, std::uint8_t* out, int count, WordOrder order) {
  for (int x = 0; x < count; ++x, in += 3, out += 4) PixelToWord(in, out, order);
}

#ifdef QUILLMERE_SSSE3
// One byte shuffle turns four 3-byte pixels into four words. Each load
// takes 16 bytes for the 12 it uses, so the last pixels go the plain way
// rather than read past the row.
[[gnu::target("ssse3")]] void ShuffledRow(const std::uint8_t* in, std::uint8_t* out, int count,
                                           WordOrder order) {
  const __m128i little = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  const __m128i big = _mm_setr_epi8(-1, 2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9);
  const __m128i mask = order == WordOrder::kLittleEndian ? little : big;
  int x = 0;
  for (; x + 6 <= count; x += 4, in += 12, out += 16) {
    const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(pixels, mask));
  }
  PortableRow(in, out, count - x, order);
}
#endif

RowWriter ChooseRowWriter() {
#ifdef QUILLMERE_SSSE3
  if (UseSsse3()) return ShuffledRow;
#endif
  return PortableRow;
}

}  // namespace

void WriteXrgb(const Raster& from, Rect area, std::uint8_t* pixels, int stride, WordOrder order,
               int originX, int originY) {
  const RowWriter writeRow = ChooseRowWriter();
  const int left = std::max(area.left, 0), top = std::max(area.top, 0);
  const int right = std::min(area.right, from.Width()), bottom = std::min(area.bottom, from.Height());
  if (right <= left || bottom <= top) return;
  for (int y = top; y < bottom; ++y)
    writeRow(from.Row(y) + left * Raster::kBytesPerPixel,
             pixels + std::size_t(y - originY) * stride + std::size_t(left - originX) * 4,
             right - left, order);
}
