// Smooth scaling, judged against its rule worked in floating point: the
// area average when shrinking, linear interpolation when enlarging.
#include "core/smooth_stretch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

namespace {

constexpr Color kUntouched = Rgb(1, 2, 3);

// Every pixel unlike its neighbours, so that any misplaced weight shows.
Raster Noise(int width, int height) {
  Raster r(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const unsigned h = unsigned(x) * 2654435761u ^ unsigned(y) * 40503u;
      r.SetPixel(x, y, Rgb(int(h >> 8), int(h >> 16), (x * 7 + y * 3) & 0xFF));
    }
  return r;
}

// Source pixels and weights of destination pixel i on one axis.
std::vector<std::pair<int, double>> Weights(int source, int length, int i) {
  const double scale = double(source) / length;
  if (scale < 1) {
    const double centre = (i + 0.5) * scale - 0.5;
    const int j = int(std::floor(centre));
    return {{std::max(j, 0), 1 - (centre - j)}, {std::min(j + 1, source - 1), centre - j}};
  }
  std::vector<std::pair<int, double>> weights;
  const double low = i * scale, high = (i + 1) * scale;
  for (int j = int(low); j < source && j < high; ++j)
    weights.push_back({j, (std::min(high, j + 1.0) - std::max(low, double(j))) / scale});
  return weights;
}

bool Inside(Rect r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

TEST(SmoothStretch, AveragesWhenShrinkingInterpolatesWhenEnlargingCopiesAtItsOwnSize) {
  struct Case {
    int width, height;  // the source's
    Rect area;          // on a 40 x 30 target clipped to `clip`
    Rect clip;
  } cases[] = {
      {80, 60, {0, 0, 40, 30}, {0, 0, 40, 30}},     // halved
      {97, 61, {0, 0, 40, 30}, {0, 0, 40, 30}},     // shrunk by odd ratios
      {13, 9, {0, 0, 40, 30}, {0, 0, 40, 30}},      // enlarged
      {90, 7, {3, 2, 37, 29}, {0, 0, 40, 30}},      // shrunk across, enlarged down
      {21, 17, {-25, -9, 60, 44}, {0, 0, 40, 30}},  // larger than the target
      {50, 40, {-10, 5, 30, 25}, {4, 3, 33, 21}},   // within a clip
      {1, 1, {5, 5, 35, 25}, {0, 0, 40, 30}},       // one pixel, everywhere
      {300, 2, {0, 0, 40, 30}, {0, 0, 40, 30}},     // far narrower
      {40, 30, {-3, 4, 37, 34}, {0, 0, 40, 30}},    // its own size: exact
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " onto " << c.area.left
                                    << "," << c.area.top << "," << c.area.right);
    const Raster source = Noise(c.width, c.height);
    const bool own = c.area.Width() == c.width && c.area.Height() == c.height;
    Raster target(40, 30);
    target.Fill({0, 0, 40, 30}, kUntouched);
    target.SetClip(c.clip);
    SmoothStretch(target, c.area, source);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x) {
        if (!Inside(c.area, x, y) || !Inside(c.clip, x, y)) {
          ASSERT_EQ(target.Pixel(x, y), kUntouched) << x << "," << y;
          continue;
        }
        for (int shift = 0; shift < 24; shift += 8) {
          double expected = 0;
          for (auto [i, a] : Weights(c.width, int(c.area.Width()), x - c.area.left))
            for (auto [j, b] : Weights(c.height, int(c.area.Height()), y - c.area.top))
              expected += a * b * (source.Pixel(i, j) >> shift & 0xFF);
          ASSERT_NEAR(target.Pixel(x, y) >> shift & 0xFF, expected, own ? 0 : 1) << x << "," << y;
        }
      }
  }
}

TEST(SmoothStretch, ReadsOnlyTheRowsAndColumnsItNeedsTopToBottomOnce) {
  // Of a 200 x 150 area the 40 x 30 target shows x 100..139, y 60..89, which
  // need these source rows [first, last] and columns [left, right).
  struct Case {
    int width, height, first, last, left, right;
  } cases[] = {
      {200, 150, 60, 89, 100, 140},    // its own size
      {100, 75, 29, 45, 49, 71},       // enlarged: centres 29.75 to 44.25, 49.75 to 69.25
      {400, 300, 120, 179, 200, 280},  // halved: two source pixels each
  };
  for (const Case& c : cases) {
    std::vector<int> rows, expected;
    Raster target(40, 30);
    SmoothStretch(target, {-100, -60, 100, 90}, c.width, c.height,
                  [&](int y, int left, int count, std::uint8_t* into) {
                    rows.push_back(y);
                    EXPECT_EQ(std::pair(left, left + count), std::pair(c.left, c.right));
                    std::fill(into, into + 3 * count, 0);
                  });
    for (int y = c.first; y <= c.last; ++y) expected.push_back(y);
    EXPECT_EQ(rows, expected) << c.width;
  }
}

}  // namespace
