#include "core/sample_desktop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace {

bool Bluish(Color c) { return BlueOf(c) > RedOf(c) && BlueOf(c) > GreenOf(c); }
bool Greenish(Color c) { return GreenOf(c) > RedOf(c) && GreenOf(c) > BlueOf(c); }

struct Size {
  int width, height;
  friend void PrintTo(const Size& size, std::ostream* os) { *os << size.width << "x" << size.height; }
};

class SampleDesktopTest : public testing::TestWithParam<Size> {};

TEST_P(SampleDesktopTest, HasTheSizeAndNoPureBlack) {
  const auto [width, height] = GetParam();
  const Raster desktop = DrawSampleDesktop(width, height);
  ASSERT_EQ(desktop.Width(), width);
  ASSERT_EQ(desktop.Height(), height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) ASSERT_NE(desktop.Pixel(x, y), Rgb(0, 0, 0)) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Sizes, SampleDesktopTest,
                         testing::Values(Size{1024, 768}, Size{1366, 768}, Size{152, 112},
                                         Size{800, 600}, Size{3, 2}, Size{1, 1},
                                         Size{1920, 1080}),
                         [](const auto& info) { return testing::PrintToString(info.param); });

void ExpectScene(int width, int height) {
  SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
  const Raster desktop = DrawSampleDesktop(width, height);
  const int bar = SampleTaskbarHeight(height), scene = height - bar;
  ASSERT_GE(bar, 2);

  for (int x = 0; x < width; ++x) EXPECT_TRUE(Bluish(desktop.Pixel(x, 0))) << "sky at x " << x;
  int skyPixels = 0;
  for (int y = 0; y < scene / 3; ++y)
    for (int x = 0; x < width; ++x) skyPixels += Bluish(desktop.Pixel(x, y));
  EXPECT_GT(skyPixels, width * (scene / 3) * 3 / 4) << "the upper third is mostly blue";

  // The hills cover the lower part of the scene from edge to edge.
  for (int y = scene * 7 / 10; y < scene; ++y)
    for (int x = 0; x < width; ++x) ASSERT_TRUE(Greenish(desktop.Pixel(x, y))) << x << "," << y;

  // The taskbar: a flat strip at the very bottom, with buttons on it.
  std::map<Color, int> bottomRow;
  for (int x = 0; x < width; ++x) ++bottomRow[desktop.Pixel(x, height - 1)];
  const auto [base, count] = *std::max_element(
      bottomRow.begin(), bottomRow.end(), [](auto& a, auto& b) { return a.second < b.second; });
  EXPECT_GT(count, width / 2);
  EXPECT_FALSE(Greenish(base));
  std::set<Color> middleRow;
  for (int x = 0; x < width; ++x) middleRow.insert(desktop.Pixel(x, scene + bar / 2));
  EXPECT_GE(middleRow.size(), 6u) << "start button, icons and clock";
}

// 1024x768 is the renderer's default, 152x112 the preview picture; the
// scene of the larger ones is drawn smaller and scaled up.
TEST(SampleDesktopSceneTest, ShowsSkyOverHillsOverATaskbar) {
  ExpectScene(1024, 768);
  ExpectScene(1366, 768);
  ExpectScene(152, 112);
  ExpectScene(1920, 1080);
  ExpectScene(3840, 2160);
}

}  // namespace
