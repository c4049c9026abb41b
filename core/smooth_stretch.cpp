#include "core/smooth_stretch.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using Wide = std::int64_t;
constexpr int kPixel = Raster::kBytesPerPixel;
// Each axis weighs its source pixels in 1/4096ths: two axes of weights over
// 255 sum to less than 2^32, with room for the rounding.
constexpr int kWeightBits = 12;
constexpr Wide kOne = Wide(1) << kWeightBits;

// The source pixels that each destination pixel of one axis mixes.
struct Taps {
  std::vector<std::int32_t> first;    // the first source pixel of each
  std::vector<std::size_t> start{0};  // where its weights begin; one entry more
  std::vector<std::uint32_t> weights;  // each destination's sum to kOne
  int Count(std::size_t i) const { return int(start[i + 1] - start[i]); }
  int End(std::size_t i) const { return first[i] + Count(i); }
};

Wide FloorDivide(Wide a, Wide b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

// Destination pixels [from, to) of an axis that shows `source` pixels over
// `length`. Shares are exact integers; the weights round their running sum,
// so that each destination's weights add up to exactly kOne.
Taps AxisTaps(Wide source, Wide length, Wide from, Wide to) {
  Taps taps;
  std::vector<std::pair<Wide, Wide>> shares;  // source pixel, share
  for (Wide i = from; i < to; ++i) {
    shares.clear();
    const auto share = [&](Wide j, Wide amount) {
      j = std::clamp<Wide>(j, 0, source - 1);
      if (!shares.empty() && shares.back().first == j)
        shares.back().second += amount;
      else
        shares.push_back({j, amount});
    };
    Wide total;
    if (source >= length) {
      // The span [i, i + 1) covers in the source, in 1/length of a pixel.
      const Wide low = i * source, high = low + source;
      for (Wide j = low / length; j * length < high; ++j)
        share(j, std::min(high, (j + 1) * length) - std::max(low, j * length));
      total = source;
    } else {
      // Between the two source pixels around i's centre, in 1/(2 length).
      const Wide centre = (2 * i + 1) * source - length, unit = 2 * length;
      const Wide j = FloorDivide(centre, unit), fraction = centre - j * unit;
      share(j, unit - fraction);
      share(j + 1, fraction);
      total = unit;
    }
    Wide sum = 0, rounded = 0;
    bool started = false;
    for (const auto& [j, amount] : shares) {
      sum += amount;
      const Wide next = (sum * kOne + total / 2) / total;
      if (next == rounded && !started) continue;  // no weight: not read at all
      if (!started) taps.first.push_back(std::int32_t(j)), started = true;
      taps.weights.push_back(std::uint32_t(next - rounded));
      rounded = next;
    }
    while (taps.weights.back() == 0) taps.weights.pop_back();
    taps.start.push_back(taps.weights.size());
  }
  return taps;
}

}  // namespace

void SmoothStretch(Raster& target, Rect area, int width, int height, const PictureRows& rows) {
  const Rect clip = target.ClipRect();
  const Wide x0 = std::max(area.left, clip.left), x1 = std::min(area.right, clip.right);
  const Wide y0 = std::max(area.top, clip.top), y1 = std::min(area.bottom, clip.bottom);
  if (width <= 0 || height <= 0 || x1 <= x0 || y1 <= y0) return;
  const int columns = int(x1 - x0);
  if (area.Width() == width && area.Height() == height) {
    for (Wide y = y0; y < y1; ++y)
      rows(int(y - area.top), int(x0 - area.left), columns, target.Row(int(y)) + x0 * kPixel);
    return;
  }
  const Taps across = AxisTaps(width, area.Width(), x0 - area.left, x1 - area.left);
  const Taps down = AxisTaps(height, area.Height(), y0 - area.top, y1 - area.top);
  const int left = across.first.front(), sourceColumns = across.End(columns - 1) - left;
  int depth = 0;
  for (std::size_t i = 0; i < down.first.size(); ++i) depth = std::max(depth, down.Count(i));

  // Source rows mixed across, kept while the destination rows still need
  // them: ring[r % depth] holds source row r.
  const std::size_t line = std::size_t(columns) * kPixel;
  std::vector<std::uint8_t> source(std::size_t(sourceColumns) * kPixel);
  std::vector<std::uint32_t> ring(std::size_t(depth) * line), sum(line);
  const auto mixAcross = [&](std::uint32_t* out) {
    for (int x = 0; x < columns; ++x, out += kPixel) {
      const std::uint8_t* in = source.data() + std::size_t(across.first[x] - left) * kPixel;
      std::uint32_t b = 0, g = 0, r = 0;
      for (std::size_t k = across.start[x]; k < across.start[x + 1]; ++k, in += kPixel) {
        const std::uint32_t w = across.weights[k];
        b += w * in[0], g += w * in[1], r += w * in[2];
      }
      out[0] = b, out[1] = g, out[2] = r;
    }
  };
  int next = down.first.front();  // the next source row to read
  for (std::size_t y = 0; y < down.first.size(); ++y) {
    for (next = std::max(next, down.first[y]); next < down.End(y); ++next) {
      rows(next, left, sourceColumns, source.data());
      mixAcross(ring.data() + std::size_t(next % depth) * line);
    }
    std::fill(sum.begin(), sum.end(), std::uint32_t(1) << (2 * kWeightBits - 1));
    for (int k = 0; k < down.Count(y); ++k) {
      const std::uint32_t w = down.weights[down.start[y] + k];
      const std::uint32_t* in = ring.data() + std::size_t((down.first[y] + k) % depth) * line;
      for (std::size_t i = 0; i < line; ++i) sum[i] += w * in[i];
    }
    std::uint8_t* out = target.Row(int(y0 + Wide(y))) + x0 * kPixel;
    for (std::size_t i = 0; i < line; ++i) out[i] = std::uint8_t(sum[i] >> 2 * kWeightBits);
  }
}

void SmoothStretch(Raster& target, Rect area, const Raster& source) {
  SmoothStretch(target, area, source.Width(), source.Height(),
                [&](int y, int left, int count, std::uint8_t* into) {
                  std::memcpy(into, source.Row(y) + std::size_t(left) * kPixel,
                              std::size_t(count) * kPixel);
                });
}
