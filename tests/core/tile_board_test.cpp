#include "core/sample_desktop.h"
#include "tests/core/test_support.h"

using namespace MForm_unit;

namespace {

class TileBoard : public CoreTest {};

TEST_F(TileBoard, CutsTheScreenIntoEqualTilesAndDropsTheRemainder) {
  struct Case {
    int width, height, tileWidth, tileHeight;
  } cases[] = {
      {1024, 768, 128, 96}, {1280, 1024, 160, 128}, {1366, 768, 170, 96},
      {1600, 900, 200, 112}, {7, 5, 0, 0},           {9, 17, 1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    ResetState();
    StartSaver(c.width, c.height);
    EXPECT_EQ(Cols, 8);
    EXPECT_EQ(Rows, 8);
    ASSERT_EQ(TileWidth, c.tileWidth);
    ASSERT_EQ(TileHeight, c.tileHeight);
    // Each cell holds its own piece of the screen, pixel for pixel, at home.
    const Raster& screen = headless::Screen();
    for (int col = 1; col <= 8; ++col) {
      for (int row = 1; row <= 8; ++row) {
        const int left = (col - 1) * c.tileWidth, top = (row - 1) * c.tileHeight;
        EXPECT_EQ(TileLeft[col][row], left);
        EXPECT_EQ(TileTop[col][row], top);
        Raster expected(c.tileWidth, c.tileHeight);
        expected.Copy({0, 0, c.tileWidth, c.tileHeight}, screen, left, top);
        EXPECT_EQ(*TileImages[col][row], expected) << "cell " << col << "," << row;
      }
    }
    for (int i = 0; i <= 8; ++i) {
      EXPECT_EQ(TileImages[0][i], nullptr);
      EXPECT_EQ(TileImages[i][0], nullptr);
      EXPECT_EQ(TileLeft[0][i] | TileLeft[i][0] | TileTop[0][i] | TileTop[i][0], 0);
    }
  }
}

TEST_F(TileBoard, WorkedPositionsOfTheLastColumnAndRow) {
  StartSaver(1366, 768);
  EXPECT_EQ(TileLeft[8][1], 1190);
  EXPECT_EQ(TileTop[1][8], 672);
  // The last screen column that any tile holds is x = 1359.
  const Raster& corner = *TileImages[8][8];
  EXPECT_EQ(corner.Pixel(169, 95), headless::Screen().Pixel(1359, 767));
}

TEST_F(TileBoard, AScreenThatCannotBeSeenGivesTheSampleDesktop) {
  headless::SetScreen(NumberedPicture(160, 96), false);
  ScreenWidth = 160, ScreenHeight = 96;
  CreateFrameBuffers();
  BuildBoard();
  const Raster sample = DrawSampleDesktop(160, 96);
  for (int cell = 0; cell < 64; ++cell) {
    Raster expected(20, 12);
    expected.Copy({0, 0, 20, 12}, sample, cell % 8 * 20, cell / 8 * 12);
    EXPECT_EQ(*TileImages[cell % 8 + 1][cell / 8 + 1], expected) << cell;
  }
}

TEST_F(TileBoard, EveryCellHoldsADistinctRaster) {
  StartSaver(64, 64);
  std::set<const Raster*> seen;
  for (int col = 1; col <= 8; ++col)
    for (int row = 1; row <= 8; ++row) seen.insert(TileImages[col][row]);
  EXPECT_EQ(seen.size(), 64u);
}

TEST_F(TileBoard, FirstHoleColumnIsDrawnBeforeRowAndCanBeAnyCell) {
  struct Case {
    int colDraw, rowDraw, direction;
  } cases[] = {{0, 0, 3}, {7, 7, 0}, {7, 0, 0}, {0, 7, 1}, {3, 5, 1}};
  for (const Case& c : cases) {
    ResetState();
    // Hole column, hole row, then the first move's direction.
    Script({c.colDraw, c.rowDraw, c.direction});
    StartSaver(1024, 768);
    EXPECT_EQ(HoleCol, c.colDraw + 1);
    EXPECT_EQ(HoleRow, c.rowDraw + 1);
    EXPECT_EQ(Direction, c.direction);
    EXPECT_TRUE(random_.Exhausted());
  }
}

TEST_F(TileBoard, AfterBuildingTheIntroWaitsAndAMoverStandsNextToTheHole) {
  for (std::uint64_t seed = 1; seed <= 40; ++seed) {
    ResetState();
    SeedRandom(seed);
    StartSaver(1024, 768);
    EXPECT_EQ(IntroTicks, 0);
    EXPECT_EQ(std::abs(MoverCol - HoleCol) + std::abs(MoverRow - HoleRow), 1);
    EXPECT_EQ(TileLeft[MoverCol][MoverRow], MoverHomeLeft);
    EXPECT_EQ(TileTop[MoverCol][MoverRow], MoverHomeTop);
  }
}

TEST_F(TileBoard, TheFirstHoleIsUniformOverAllCells) {
  std::map<std::pair<int, int>, int> hits;
  SeedRandom(99);
  for (int run = 0; run < 6400; ++run) {
    ResetState();
    StartSaver(16, 16);
    ++hits[{HoleCol, HoleRow}];
  }
  ASSERT_EQ(hits.size(), 64u);
  for (const auto& [cell, count] : hits) EXPECT_NEAR(count, 100, 45);
}

}  // namespace
