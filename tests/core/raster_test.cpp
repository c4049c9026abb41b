#include <gtest/gtest.h>

#include <set>

#include "tests/core/test_support.h"

namespace {

constexpr Color kPen = Rgb(180, 180, 250);
constexpr Color kFill = Rgb(10, 200, 30);

int CountColor(const Raster& r, Color c) {
  int n = 0;
  for (int y = 0; y < r.Height(); ++y)
    for (int x = 0; x < r.Width(); ++x) n += r.Pixel(x, y) == c;
  return n;
}

TEST(Raster, NewRasterIsBlackAndNegativeSizesAreEmpty) {
  const Raster r(3, 2);
  EXPECT_EQ(CountColor(r, Rgb(0, 0, 0)), 6);
  const Raster empty(-4, 5);
  EXPECT_EQ(empty.Width(), 0);
  EXPECT_EQ(empty.Height(), 5);
}

TEST(Raster, FillIsClippedAndEmptyRectanglesDrawNothing) {
  struct Case {
    Rect area;
    int painted;
  } cases[] = {
      {{-5, -5, 2, 3}, 2 * 3}, {{8, 6, 20, 20}, 2 * 2},   {{3, 3, 3, 9}, 0},
      {{3, 3, 9, 3}, 0},       {{7, 7, 2, 2}, 0},         {{-100, 2, 100, 3}, 10},
      {{10, 0, 12, 8}, 0},     {{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, 80},
  };
  for (const Case& c : cases) {
    Raster r(10, 8);
    r.Fill(c.area, kFill);
    EXPECT_EQ(CountColor(r, kFill), c.painted)
        << c.area.left << "," << c.area.top << "," << c.area.right << "," << c.area.bottom;
  }
}

TEST(Raster, OperationsOnAnEmptyRasterAreHarmless) {
  Raster empty(0, 0), other(0, 7);
  const Raster source = NumberedPicture(4, 4);
  empty.Fill({0, 0, 5, 5}, kFill);
  empty.Draw(0, 0, source);
  empty.StretchDraw({0, 0, 4, 4}, source);
  empty.HorizontalLine(0, 4, 0, kPen);
  other.VerticalLine(0, 0, 7, kPen);
  Raster target = NumberedPicture(4, 4);
  target.StretchDraw({0, 0, 4, 4}, empty);
  target.Draw(1, 1, other);
  EXPECT_EQ(target, source);
}

TEST(Raster, CopyClipsAgainstBothRasters) {
  const Raster source = NumberedPicture(6, 5);
  // Every placement, partly or wholly outside either raster.
  for (int dx = -7; dx <= 8; ++dx) {
    for (int sx = -7; sx <= 7; sx += 2) {
      Raster target(6, 5);
      target.Copy({dx, -1, dx + 4, 3}, source, sx, 1);
      for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 6; ++x) {
          const int fromX = x - dx + sx, fromY = y + 1 + 1;
          const bool inside = x < dx + 4 && x >= dx && y < 3 && fromX >= 0 && fromX < 6 &&
                              fromY >= 0 && fromY < 5;
          EXPECT_EQ(target.Pixel(x, y), inside ? source.Pixel(fromX, fromY) : Rgb(0, 0, 0))
              << "dx " << dx << " sx " << sx << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST(Raster, DrawPlacesThePictureOneToOne) {
  const Raster source = NumberedPicture(3, 2);
  Raster target(5, 5);
  target.Draw(3, 4, source);  // hangs off the right and bottom edges
  EXPECT_EQ(target.Pixel(3, 4), source.Pixel(0, 0));
  EXPECT_EQ(target.Pixel(4, 4), source.Pixel(1, 0));
  EXPECT_EQ(CountColor(target, Rgb(0, 0, 0)), 25 - 2);
}

TEST(Raster, StretchToTheSameSizeIsACopy) {
  const Raster source = NumberedPicture(19, 14);
  Raster a(30, 30), b(30, 30);
  a.StretchDraw({5, 7, 24, 21}, source);
  b.Draw(5, 7, source);
  EXPECT_EQ(a, b);
}

TEST(Raster, StretchRepeatsOrDropsWholeRowsAndColumns) {
  const Raster source = NumberedPicture(4, 3);
  Raster doubled(8, 6);
  doubled.StretchDraw({0, 0, 8, 6}, source);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(doubled.Pixel(x, y), source.Pixel(x / 2, y / 2));

  Raster halved(2, 1);
  halved.StretchDraw({0, 0, 2, 1}, source);
  EXPECT_EQ(halved.Pixel(0, 0), source.Pixel(0, 0));
  EXPECT_EQ(halved.Pixel(1, 0), source.Pixel(2, 0));

  // Odd ratios: every pixel is a source pixel, and the corners stay corners.
  const Raster big = NumberedPicture(19, 14);
  Raster odd(300, 200);
  odd.StretchDraw({0, 0, 300, 200}, big);
  std::set<Color> used;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 300; ++x) used.insert(odd.Pixel(x, y));
  EXPECT_EQ(used.size(), 19u * 14u);
  EXPECT_EQ(odd.Pixel(0, 0), big.Pixel(0, 0));
  EXPECT_EQ(odd.Pixel(299, 199), big.Pixel(18, 13));
}

// Every destination pixel is the source pixel at floor(offset * source size
// / destination size) on each axis: enlargements and reductions, narrow and
// wider than one column map, placed past the edges.
TEST(Raster, StretchSamplesTheNearestSourcePixelBelow) {
  struct Case {
    int sourceWidth, sourceHeight;
    Rect area;
  };
  const Case cases[] = {
      {240, 135, {40, 40, 400, 295}},     // a lifted tile at mid-slide
      {240, 135, {-60, -20, 300, 235}},   // the same, past the left and top edges
      {170, 96, {3, 5, 173, 101}},        // 1:1
      {128, 96, {10, 10, 138, 58}},       // the hole shrinking: rows halved
      {128, 96, {0, 0, 37, 29}},          // down to odd sizes
      {7, 5, {0, 0, 700, 9}},             // 100 times wider, past one map
      {900, 3, {-100, 0, 1100, 3}},       // wider than a map, a little enlarged
      {5, 4, {1, 1, 9, 8}},               // too narrow for four pixels at once
  };
  ForEachPixelPath([&] {
    for (const Case& c : cases) {
      const Raster source = NumberedPicture(c.sourceWidth, c.sourceHeight);
      Raster target(1000, 300);
      target.StretchDraw(c.area, source);
      const std::int64_t dw = c.area.Width(), dh = c.area.Height();
      for (int y = 0; y < target.Height(); ++y)
        for (int x = 0; x < target.Width(); ++x) {
          const bool inside = x >= c.area.left && x < c.area.right && y >= c.area.top && y < c.area.bottom;
          const Color expected =
              inside ? source.Pixel(int((x - c.area.left) * c.sourceWidth / dw),
                                    int((y - c.area.top) * c.sourceHeight / dh))
                     : Rgb(0, 0, 0);
          ASSERT_EQ(target.Pixel(x, y), expected)
              << c.sourceWidth << "x" << c.sourceHeight << " into " << c.area.left << ","
              << c.area.top << " at " << x << "," << y;
        }
    }
  });
}

TEST(Raster, StretchPastEveryEdgeShowsTheSameAsAnUnclippedStretch) {
  const Raster tile = NumberedPicture(128, 96);
  // A 192 x 160 enlargement of a corner tile, on a 200 x 150 target.
  const Rect placements[] = {{-32, -32, 160, 128}, {40, -20, 232, 140}, {-50, 20, 142, 180},
                             {-10, -10, 210, 160}, {150, 100, 342, 260}};
  for (const Rect& area : placements) {
    Raster clipped(200, 150);
    clipped.StretchDraw(area, tile);
    // The same stretch on a canvas big enough to hold it whole, then cut out.
    constexpr int margin = 100;
    Raster whole(200 + 2 * margin, 150 + 2 * margin);
    whole.StretchDraw({area.left + margin, area.top + margin, area.right + margin,
                       area.bottom + margin},
                      tile);
    Raster expected(200, 150);
    expected.Copy({0, 0, 200, 150}, whole, margin, margin);
    EXPECT_EQ(clipped, expected) << area.left << "," << area.top;
  }
}

TEST(Raster, StretchIntoAnInvertedRectangleDrawsNothing) {
  const Raster tile = NumberedPicture(4, 4);
  Raster target(10, 10);
  target.StretchDraw({2, 5, 8, 4}, tile);
  target.StretchDraw({8, 2, 2, 9}, tile);
  EXPECT_EQ(target, Raster(10, 10));
}

TEST(Raster, TheClipLimitsEveryDrawingCallUntilReset) {
  const Raster source = NumberedPicture(8, 8);
  Raster clipped(10, 10), whole(10, 10);
  clipped.SetClip({-5, 3, 7, 6});
  const auto drawAll = [&source](Raster& target) {
    target.Fill({0, 0, 10, 10}, kFill);
    target.Draw(2, 1, source);
    target.Copy({0, 4, 10, 5}, source, 1, 1);
    target.StretchDraw({-4, -4, 12, 12}, source);
    target.HorizontalLine(9, 0, 4, kPen);
    target.VerticalLine(1, 0, 10, kPen);
  };
  drawAll(clipped);
  drawAll(whole);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x)
      EXPECT_EQ(clipped.Pixel(x, y), x < 7 && y >= 3 && y < 6 ? whole.Pixel(x, y) : Rgb(0, 0, 0))
          << x << "," << y;
  clipped.ResetClip();
  drawAll(clipped);
  EXPECT_EQ(clipped, whole);
}

TEST(Raster, LinesExcludeTheirEndPointInEitherDirection) {
  struct Case {
    bool horizontal;
    int at, from, to;
    int first, last;  // covered range, inclusive; first > last: nothing
  } cases[] = {
      {true, 0, 0, 4, 0, 3},   {true, 9, 9, 5, 6, 9},    {true, 2, 3, 3, 1, 0},
      {false, 0, 0, 1, 0, 0},  {false, 9, 9, 0, 1, 9},   {true, 4, -5, 3, 0, 2},
      {false, 5, 12, 7, 8, 9}, {true, 20, 0, 9, 1, 0},
  };
  for (const Case& c : cases) {
    Raster r(10, 10);
    if (c.horizontal)
      r.HorizontalLine(c.from, c.to, c.at, kPen);
    else
      r.VerticalLine(c.at, c.from, c.to, kPen);
    for (int i = 0; i < 10; ++i) {
      const Color got = c.horizontal ? r.Pixel(i, std::min(c.at, 9)) : r.Pixel(c.at, i);
      const bool covered = c.at < 10 && c.first <= i && i <= c.last;
      EXPECT_EQ(got == kPen, covered) << "line " << c.from << "->" << c.to << " pixel " << i;
    }
    EXPECT_EQ(CountColor(r, kPen), c.at < 10 ? std::max(0, c.last - c.first + 1) : 0);
  }
}

}  // namespace
