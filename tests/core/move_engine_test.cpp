#include "tests/core/test_support.h"

using namespace MForm_unit;

namespace {

class MoveEngine : public CoreTest {
 protected:
  // Advances until the hole moves; returns the number of ticks that took,
  // the completing tick included.
  int TicksUntilTheHoleMoves() {
    const int col = HoleCol, row = HoleRow;
    for (int ticks = 1; ticks <= 1000; ++ticks) {
      AdvanceMove();
      if (HoleCol != col || HoleRow != row) return ticks;
    }
    return -1;
  }
  // Chooses a move in the given direction, leaving enough answers in the
  // script for the moves that completing it will choose.
  void ChooseScripted(int direction) {
    Script({direction, 0, 1, 2, 3, 0, 1, 2, 3});
    ChooseMove();
  }
};

TEST_F(MoveEngine, AfterAMoveTheReverseIsExcludedLeavingThreeTwoOrOneChoices) {
  struct Case {
    int holeCol, holeRow, lastDirection;
    std::set<int> choices;
  } cases[] = {
      {1, 1, 0, {3}},        // corner: only the tile below can come up
      {8, 8, 3, {0}},        // corner
      {1, 4, 0, {1, 3}},     // left edge
      {5, 1, 1, {0, 2}},     // top edge
      {4, 4, 1, {0, 1, 2}},  // inside
      {6, 3, 2, {1, 2, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "hole " << c.holeCol << "," << c.holeRow);
    std::map<int, int> count;
    constexpr int kTrials = 6000;
    PlaceBoard(128, 96, c.holeCol, c.holeRow);
    for (int trial = 0; trial < kTrials; ++trial) {
      Direction = c.lastDirection;
      ChooseMove();
      EXPECT_EQ(PrevDirection, c.lastDirection);
      ++count[Direction];
    }
    ASSERT_EQ(count.size(), c.choices.size());
    for (const auto& [direction, n] : count) {
      EXPECT_TRUE(c.choices.count(direction)) << direction;
      EXPECT_NEAR(n, kTrials / int(c.choices.size()), kTrials / 25) << direction;
    }
  }
}

TEST_F(MoveEngine, MoverStandsOnTheSideOfTheHoleItsDirectionNames) {
  const int expected[4][2] = {{3, 4}, {4, 3}, {5, 4}, {4, 5}};
  for (int direction = 0; direction < 4; ++direction) {
    PlaceBoard(128, 96, 4, 4);
    Direction = direction;  // a move may continue the way the last one went
    ChooseScripted(direction);
    EXPECT_EQ(MoverCol, expected[direction][0]);
    EXPECT_EQ(MoverRow, expected[direction][1]);
    EXPECT_EQ(MoverHomeLeft, TileLeft[MoverCol][MoverRow]);
    EXPECT_EQ(MoverHomeTop, TileTop[MoverCol][MoverRow]);
  }
}

TEST_F(MoveEngine, TheFirstMoveIsNeverFromTheRight) {
  // Hole in column 1: 2 is excluded, 0 leads off the board, 1 is taken.
  Script({0, 3, 2, 0, 1});
  StartSaver(1024, 768);
  EXPECT_EQ(PrevDirection, 0);
  EXPECT_EQ(Direction, 1);
  EXPECT_TRUE(random_.Exhausted());
  for (std::uint64_t seed = 0; seed < 200; ++seed) {
    ResetState();
    UseRandomSource(nullptr);
    SeedRandom(seed);
    StartSaver(64, 64);
    EXPECT_NE(Direction, 2);
    if (HoleCol == 1) {
      EXPECT_TRUE(Direction == 1 || Direction == 3);
    }
  }
}

// Every tile size from 0 to 300, each way: the tile advances 8 pixels a tick,
// the last step cut short at the hole, and the tick after arriving completes.
TEST_F(MoveEngine, AMoveTakesOneTickPerEightPixelsAndOneToComplete) {
  for (int size = 0; size <= 300; ++size) {
    for (int direction = 0; direction < 4; ++direction) {
      SCOPED_TRACE(testing::Message() << "tiles " << size << ", direction " << direction);
      PlaceBoard(size, size, 4, 4);
      Direction = direction;
      ChooseScripted(direction);
      const bool across = direction % 2 == 0;
      std::int32_t& position = (across ? TileLeft : TileTop)[MoverCol][MoverRow];
      const int home = position, sign = direction < 2 ? 1 : -1;
      for (int step = 1; step <= (size + 7) / 8; ++step) {
        ASSERT_FALSE(MoverArrived());
        AdvanceMove();
        ASSERT_EQ(position, home + sign * std::min(8 * step, size));
      }
      ASSERT_TRUE(MoverArrived());
      ASSERT_EQ(HoleCol * 10 + HoleRow, 44) << "arriving only steps";
      AdvanceMove();
      ASSERT_NE(HoleCol * 10 + HoleRow, 44) << "the next tick completes";
    }
  }
}

TEST_F(MoveEngine, CompletingExchangesTheTilesAndMovesTheHole) {
  PlaceBoard(128, 96, 4, 4);
  Raster* const blank = TileImages[4][4];
  Raster* const sliding = TileImages[4][5];
  Direction = 0;
  ChooseScripted(3);  // the tile below slides up
  EXPECT_EQ(TicksUntilTheHoleMoves(), 13);
  EXPECT_EQ(TileImages[4][4], sliding);
  EXPECT_EQ(TileImages[4][5], blank);
  EXPECT_EQ(TileImages[0][0], blank);
  EXPECT_EQ(TileTop[4][4], 3 * 96);
  EXPECT_EQ(TileTop[4][5], 4 * 96);
  EXPECT_EQ(HoleRow, 5);
  // The next move is already chosen, at rest, and never straight back.
  EXPECT_NE(Direction, 1);
  EXPECT_EQ(TileLeft[MoverCol][MoverRow], MoverHomeLeft);
}

TEST_F(MoveEngine, AKeyPressMidMoveStopsTheTileWhereItIs) {
  // The same direction again: the tile slides on and its cell keeps the stop point.
  PlaceBoard(128, 96, 4, 4);
  ChooseScripted(0);
  for (int i = 0; i < 6; ++i) AdvanceMove();
  ASSERT_EQ(TileLeft[3][4], 256 + 48);
  ChooseScripted(0);
  EXPECT_EQ(PrevDirection, 0);
  EXPECT_EQ(MoverHomeLeft, 256 + 48);
  EXPECT_EQ(TicksUntilTheHoleMoves(), 10 + 1);
  EXPECT_EQ(HoleCol, 3);
  EXPECT_EQ(TileLeft[3][4], 256 + 48);

  // A sideways move out of that cell and back into it completes; the cell
  // stays 48 pixels right of its home for good.
  Direction = 1;
  ChooseScripted(2);  // the tile at (4,4) slides left, 128 - 48 = 80 pixels
  EXPECT_EQ(TicksUntilTheHoleMoves(), 10 + 1);
  EXPECT_EQ(TileLeft[3][4], 256 + 48);
  EXPECT_EQ(TileLeft[4][4], 384);
  Direction = 1;
  ChooseScripted(0);  // back into (4,4) from (3,4)
  EXPECT_EQ(TicksUntilTheHoleMoves(), 10 + 1);
  EXPECT_EQ(TileLeft[3][4], 256 + 48);
}

TEST_F(MoveEngine, AKeyPressChoosingAnotherTileLeavesTheFirstPartWay) {
  PlaceBoard(128, 96, 4, 4);
  ChooseScripted(0);
  for (int i = 0; i < 3; ++i) AdvanceMove();
  ChooseScripted(1);
  EXPECT_EQ(PrevDirection, 0);
  EXPECT_EQ(TicksUntilTheHoleMoves(), 12 + 1);
  EXPECT_EQ(TileLeft[3][4], 256 + 24);
  EXPECT_EQ(HoleRow, 3);
}

TEST_F(MoveEngine, AKeyPressBeforeTheFirstStepOnlyReplacesTheMove) {
  PlaceBoard(128, 96, 4, 4);
  ChooseScripted(0);
  ChooseScripted(1);
  ChooseScripted(2);
  for (int col = 1; col <= 8; ++col) {
    for (int row = 1; row <= 8; ++row) {
      EXPECT_EQ(TileLeft[col][row], (col - 1) * 128);
      EXPECT_EQ(TileTop[col][row], (row - 1) * 96);
    }
  }
  EXPECT_EQ(PrevDirection, 1);
  EXPECT_EQ(MoverCol, 5);
}

TEST_F(MoveEngine, AMoveAcrossAnOffsetStillArrives) {
  // A key press left cell (3,4) 48 pixels right of home; it is now the hole
  // and the tile above it slides down, standing 48 pixels to its left.
  PlaceBoard(128, 96, 3, 4);
  TileLeft[3][4] += 48;
  Raster* const sliding = TileImages[3][3];
  Direction = 0;
  ChooseScripted(1);
  EXPECT_EQ(TicksUntilTheHoleMoves(), 12 + 1);
  EXPECT_EQ(TileImages[3][4], sliding);
  EXPECT_EQ(HoleRow, 3);
  EXPECT_EQ(TileLeft[3][4], 256 + 48);
  EXPECT_EQ(TileLeft[3][3], 256);
}

}  // namespace
