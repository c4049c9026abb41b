#include "core/column_map.h"

#include <cstring>

#include "core/ssse3.h"

namespace {

constexpr int kPixel = 3;

#ifdef QUILLMERE_SSSE3
[[gnu::target("ssse3")]] void ShuffleGroups(const std::uint8_t* source, std::uint8_t* out,
                                             const std::uint32_t* offsets,
                                             const std::array<std::int8_t, 16>* shuffles, int groups) {
  // Each store writes 16 bytes for the group's 12: the next group's store,
  // or the pixels after the groups, put the 4 extra bytes right.
  for (int g = 0; g < groups; ++g, out += 4 * kPixel) {
    const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + offsets[4 * g]));
    const __m128i order = _mm_load_si128(reinterpret_cast<const __m128i*>(shuffles[g].data()));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(in, order));
  }
}
#endif

}  // namespace

void ColumnMap::Build(std::int64_t first, int count, std::int64_t sourceWidth,
                      std::int64_t destinationWidth) {
  count_ = count;
  std::int64_t column = first * sourceWidth / destinationWidth;
  std::int64_t fraction = first * sourceWidth % destinationWidth;
  const std::int64_t step = sourceWidth / destinationWidth, remainder = sourceWidth % destinationWidth;
  for (int x = 0; x < count; ++x) {
    offsets_[x] = std::uint32_t(column * kPixel);
    column += step;
    fraction += remainder;
    if (fraction >= destinationWidth) fraction -= destinationWidth, ++column;
  }
  shuffled_ = 0;
#ifdef QUILLMERE_SSSE3
  if (!UseSsse3()) return;
  // A group qualifies while its four sources lie within one 16-byte load that
  // ends inside the source row, and its 16-byte store leaves room for the
  // pixels after it (at least two) to be written the plain way.
  const std::int64_t rowBytes = sourceWidth * kPixel;
  for (int g = 0; 4 * g + 6 <= count; ++g) {
    const std::uint32_t base = offsets_[4 * g];
    if (offsets_[4 * g + 3] + kPixel - base > 16 || base + 16 > rowBytes) break;
    for (int i = 0; i < 4 * kPixel; ++i)
      shuffles_[g][i] = std::int8_t(offsets_[4 * g + i / kPixel] - base + i % kPixel);
    for (int i = 4 * kPixel; i < 16; ++i) shuffles_[g][i] = -1;
    shuffled_ = g + 1;
  }
#endif
}

void ColumnMap::Sample(const std::uint8_t* source, std::uint8_t* out) const {
  int x = 0;
#ifdef QUILLMERE_SSSE3
  if (shuffled_ > 0) {
    ShuffleGroups(source, out, offsets_.data(), shuffles_.data(), shuffled_);
    x = 4 * shuffled_;
  }
#endif
  for (; x < count_; ++x) std::memcpy(out + x * kPixel, source + offsets_[x], kPixel);
}
