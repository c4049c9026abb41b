#include "tests/core/test_support.h"

using namespace MForm_unit;

namespace {

constexpr Color kBlack = Rgb(0, 0, 0);

class FrameComposition : public CoreTest {
 protected:
  // Starts the saver with the first hole at (holeCol, holeRow) and the first
  // move in `direction`, then plays the whole intro.
  void StartAfterIntro(int width, int height, int holeCol, int holeRow, int direction) {
    Script({holeCol - 1, holeRow - 1, direction, 0, 1, 2, 3, 0, 1, 2, 3});
    StartSaver(width, height);
    Tick(kIntroLength);
  }

  // The shuffle frame as it should look: every tile at its cell's position
  // except the hole's and the mover's, then the mover grown by `grow` pixels
  // on every side (shrunk where negative).
  static Raster ExpectedShuffleFrame(int grow) {
    Raster frame(ScreenWidth, ScreenHeight);
    for (int col = 1; col <= Cols; ++col)
      for (int row = 1; row <= Rows; ++row)
        if (!(col == HoleCol && row == HoleRow) && !(col == MoverCol && row == MoverRow))
          frame.Draw(TileLeft[col][row], TileTop[col][row], *TileImages[col][row]);
    const int left = TileLeft[MoverCol][MoverRow], top = TileTop[MoverCol][MoverRow];
    frame.StretchDraw({left - grow, top - grow, left + TileWidth + grow, top + TileHeight + grow},
                      *TileImages[MoverCol][MoverRow]);
    return frame;
  }

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

TEST_F(FrameComposition, TheFirstIntroFrameIsTheDesktopWithOneDotPerTile) {
  Script({2, 4, 1});
  StartSaver(1024, 768);
  Tick();
  EXPECT_EQ(IntroTicks, 1);
  Raster expected = headless::Screen();
  for (int col = 0; col < 8; ++col)
    for (int row = 0; row < 8; ++row) expected.SetPixel(col * 128, row * 96, kFrameLine);
  EXPECT_EQ(headless::Window(), expected);
  EXPECT_EQ(headless::PresentCount(), 1);
}

TEST_F(FrameComposition, MidIntroTheLinesGrowAndTheHoleShrinksTowardItsCentre) {
  Script({2, 4, 1});
  StartSaver(1024, 768);
  Tick(50);
  for (int col = 1; col <= 8; ++col)
    for (int row = 1; row <= 8; ++row) ExpectFrameLines(*TileImages[col][row], 64, 48);
  // The hole's tile fills (L + 24, T + 24, L + 104, T + 72) of its cell.
  const Raster& window = headless::Window();
  const int left = 2 * 128, top = 4 * 96;
  for (int y = top; y < top + 96; ++y) {
    for (int x = left; x < left + 128; ++x) {
      const bool inside = x >= left + 24 && x < left + 104 && y >= top + 24 && y < top + 72;
      ASSERT_EQ(window.Pixel(x, y) != kBlack, inside) << x << "," << y;
    }
  }
  EXPECT_EQ(window.Pixel(left + 24, top + 24), kFrameLine);  // the tile's top-left corner
}

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

TEST_F(FrameComposition, OddTilesHalveTheirLinesToTheEvenNeighbour) {
  Script({0, 0, 3});
  StartSaver(800, 600);
  Tick(2);
  ExpectFrameLines(*TileImages[3][3], 2, 2);
  Tick(4);
  ExpectFrameLines(*TileImages[3][3], 6, 4);
}

TEST_F(FrameComposition, TheSlidingTileIsLiftedMostAtMidWay) {
  struct Case {
    int width, height, holeCol, holeRow, direction;
    std::vector<int> lift;  // d on each tick from the first step until the next move
  } cases[] = {
      {1024, 768, 5, 4, 0, {8, 16, 24, 32, 40, 48, 56, 64, 56, 48, 40, 32, 24, 16, 8, 0, 0}},
      {1024, 768, 5, 4, 1, {8, 16, 24, 32, 40, 48, 40, 32, 24, 16, 8, 0, 0}},
      {800, 600, 3, 6, 3, {8, 16, 24, 32, 35, 27, 19, 11, 3, 0, 0}},
      {1024, 768, 2, 1, 0, {8, 16, 24, 32, 40, 48, 56, 64, 56, 48}},  // a corner tile, clipped
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " d" << c.direction);
    ResetState();
    StartAfterIntro(c.width, c.height, c.holeCol, c.holeRow, c.direction);
    for (std::size_t i = 0; i < c.lift.size(); ++i) {
      Tick();
      ASSERT_EQ(*BackBuffer, ExpectedShuffleFrame(c.lift[i] / 2)) << "tick " << 101 + i;
      ASSERT_EQ(headless::Window(), *BackBuffer);
    }
  }
}

TEST_F(FrameComposition, ATileWithFurtherToGoThanOneCellIsDrawnSmaller) {
  StartAfterIntro(1024, 768, 3, 4, 0);  // the tile at (2,4) slides right
  TileLeft[2][4] -= 48;                 // as a key press could have left it
  Tick();                               // D = 128 + 48 - 8 = 168, so d = -40
  EXPECT_EQ(*BackBuffer, ExpectedShuffleFrame(-20));
  // Shrunk, the mover must not be drawn at full size underneath.
  EXPECT_EQ(BackBuffer->Pixel(TileLeft[2][4] + 123, TileTop[2][4] + 5), kBlack);
}

TEST_F(FrameComposition, TheLeftoverStripIsBlackUnlessTheLiftedTileReachesIntoIt) {
  StartAfterIntro(1366, 768, 8, 2, 1);  // the last column's top tile slides down
  const auto stripPainted = [] {
    int painted = 0;
    for (int y = 0; y < 768; ++y)
      for (int x = 1360; x < 1366; ++x) painted += headless::Window().Pixel(x, y) != kBlack;
    return painted;
  };
  for (int tick = 0; tick < 2; ++tick) EXPECT_EQ(stripPainted(), 0);
  Tick(6);  // mid-way: grown by 24 on every side, all six strip columns
  EXPECT_EQ(stripPainted(), 6 * (96 + 2 * 24));
  Tick(6);
  EXPECT_EQ(stripPainted(), 0);  // arrived, at rest again
  // In the intro, the bottom rows of a 1600 x 900 screen stay black.
  ResetState();
  StartSaver(1600, 900);
  Tick(50);
  for (int x = 0; x < 1600; x += 7)
    for (int y = 896; y < 900; ++y) ASSERT_EQ(headless::Window().Pixel(x, y), kBlack);
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
