#include "tests/core/test_support.h"

using namespace MForm_unit;

namespace {

constexpr Color kBlack = Rgb(0, 0, 0);

class FrameComposition : public CoreTest {
 protected:
  static bool CellIsBlack(int col, int row) {
    const Raster& window = headless::Window();
    for (int y = (row - 1) * TileHeight; y < row * TileHeight; ++y)
      for (int x = (col - 1) * TileWidth; x < col * TileWidth; ++x)
        if (window.Pixel(x, y) != kBlack) return false;
    return true;
  }

  // The border pixels of a tile that carry the frame line after lines of
  // length a (top and bottom) and b (left and right).
  static void ExpectFrameLines(const Raster& tile, int a, int b) {
    const int w = tile.Width(), h = tile.Height();
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        if (x != 0 && y != 0 && x != w - 1 && y != h - 1) continue;
        const bool covered = (y == 0 && x < a) || (x == 0 && y < b) ||
                             (y == h - 1 && x >= w - a + 1) || (x == w - 1 && y >= h - b + 1);
        ASSERT_EQ(tile.Pixel(x, y) == kFrameLine, covered) << "at " << x << "," << y;
      }
    }
  }
};

TEST_F(FrameComposition, TheIntroEndsWithABlackFramedHoleAndFullFrames) {
  Script({7, 0, 3});
  StartSaver(1024, 768);
  Tick(99);
  EXPECT_TRUE(CellIsBlack(8, 1));  // 80 x 0 pixels: nothing left of it
  EXPECT_FALSE(CellIsBlack(7, 1));
  Tick();
  EXPECT_EQ(IntroTicks, 100);
  EXPECT_TRUE(CellIsBlack(8, 1));
  const Raster& blank = *TileImages[8][1];
  for (int y = 1; y < 95; ++y)
    for (int x = 1; x < 127; ++x) ASSERT_EQ(blank.Pixel(x, y), kBlack);
  for (int col = 1; col <= 8; ++col)
    for (int row = 1; row <= 8; ++row) ExpectFrameLines(*TileImages[col][row], 128, 96);
  // The move chosen while building waited for the intro; the next tick slides it.
  EXPECT_EQ(TileTop[8][2], 96);
  Tick();
  EXPECT_EQ(TileTop[8][2], 88);
}

TEST_F(FrameComposition, NoFrameIsComposedAfterTheBuffersAreReleased) {
  StartSaver(64, 48);
  Tick(3);
  ReleaseFrameBuffers();
  Tick();
  EXPECT_EQ(headless::PresentCount(), 3);
}

TEST_F(FrameComposition, ResetStateMakesASecondRunIdenticalToTheFirst) {
  const auto run = [this] {
    ResetState();
    SeedRandom(2024);
    StartSaver(320, 240);
    std::vector<Raster> frames;
    for (int tick = 1; tick <= 400; ++tick) {
      if (tick % 37 == 0) ChooseMove();
      Tick();
      if (tick % 50 == 0) frames.push_back(headless::Window());
    }
    return frames;
  };
  EXPECT_EQ(run(), run());
}

}  // namespace
