#include "core/orientation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/core/test_support.h"

namespace {

// A picture of letters, one a pixel, rows top to bottom.
Raster Letters(const std::vector<std::string>& rows) {
  Raster r(int(rows[0].size()), int(rows.size()));
  for (int y = 0; y < r.Height(); ++y)
    for (int x = 0; x < r.Width(); ++x) r.SetPixel(x, y, Color(rows[y][x]));
  return r;
}

// Each orientation of "abc" over "def", worked out by hand: a turn is
// counter-clockwise, a flip mirrors left to right before it turns.
TEST(Orientation, EachOfTheEightLaysTheLettersAsDrawnHere) {
  const Raster picture = Letters({"abc", "def"});
  const struct {
    Orientation o;
    std::vector<std::string> expected;
  } cases[] = {
      {Orientation::kNormal, {"abc", "def"}},
      {Orientation::k90, {"cf", "be", "ad"}},
      {Orientation::k180, {"fed", "cba"}},
      {Orientation::k270, {"da", "eb", "fc"}},
      {Orientation::kFlipped, {"cba", "fed"}},
      {Orientation::kFlipped90, {"ad", "be", "cf"}},
      {Orientation::kFlipped180, {"def", "abc"}},
      {Orientation::kFlipped270, {"fc", "eb", "da"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Reoriented(picture, c.o), Letters(c.expected)) << int(c.o);
}

// Pictures across the blocks the turn works in, odd sizes and strips of
// one pixel: each orientation undone gives the picture back whole.
TEST(Orientation, EachIsUndoneByItsInverseAtAnySize) {
  for (const auto& [w, h] : {std::pair{300, 37}, {17, 530}, {1, 5}, {6, 1}, {0, 0}}) {
    const Raster picture = NumberedPicture(w, h);
    for (int o = 0; o < 8; ++o) {
      const Raster laid = Reoriented(picture, Orientation(o));
      EXPECT_EQ(laid.Width(), o % 2 ? h : w) << o;
      EXPECT_EQ(Reoriented(laid, Inverse(Orientation(o))), picture) << w << "x" << h << " orientation " << o;
    }
  }
}

}  // namespace
