#include <algorithm>

#include "core/MForm_unit.h"
#include "core/random.h"

namespace MForm_unit {

namespace {

struct Offset {
  int col, row;
};
// Where the mover stands relative to the hole, by direction.
constexpr Offset kMoverSide[4] = {{-1, 0}, {0, -1}, {1, 0}, {0, 1}};

bool InsideBoard(int col, int row) { return 1 <= col && col <= Cols && 1 <= row && row <= Rows; }

std::int32_t StepToward(std::int32_t value, std::int32_t target) {
  if (value < target) return std::min(value + kStep, target);
  if (value > target) return std::max(value - kStep, target);
  return value;
}

}  // namespace

std::int32_t PickDirection(std::int32_t prev) {
  const std::int32_t reverse = (prev + 2) % 4;
  std::int32_t direction;
  do direction = Random(4);
  while (direction == reverse);
  return direction;
}

void ChooseMove() {
  PrevDirection = Direction;
  do {
    Direction = PickDirection(PrevDirection);
    MoverCol = HoleCol + kMoverSide[Direction].col;
    MoverRow = HoleRow + kMoverSide[Direction].row;
  } while (!InsideBoard(MoverCol, MoverRow));
  MoverHomeLeft = TileLeft[MoverCol][MoverRow];
  MoverHomeTop = TileTop[MoverCol][MoverRow];
}

void StepMover() {
  std::int32_t& left = TileLeft[MoverCol][MoverRow];
  std::int32_t& top = TileTop[MoverCol][MoverRow];
  const std::int32_t holeLeft = TileLeft[HoleCol][HoleRow];
  const std::int32_t holeTop = TileTop[HoleCol][HoleRow];
  switch (Direction) {
    case 0: left = std::min(left + kStep, holeLeft); break;
    case 1: top = std::min(top + kStep, holeTop); break;
    case 2: left = std::max(left - kStep, holeLeft); break;
    case 3: top = std::max(top - kStep, holeTop); break;
  }
  // A key press can leave a cell off its home across the axis of travel; the
  // mover then also closes that gap, or it would never arrive.
  if (Direction % 2 == 0)
    top = StepToward(top, holeTop);
  else
    left = StepToward(left, holeLeft);
}

bool MoverArrived() {
  return TileLeft[MoverCol][MoverRow] == TileLeft[HoleCol][HoleRow] &&
         TileTop[MoverCol][MoverRow] == TileTop[HoleCol][HoleRow];
}

void CompleteMove() {
  TileImages[0][0] = TileImages[HoleCol][HoleRow];
  TileImages[HoleCol][HoleRow] = TileImages[MoverCol][MoverRow];
  TileImages[MoverCol][MoverRow] = TileImages[0][0];
  TileLeft[MoverCol][MoverRow] = MoverHomeLeft;
  TileTop[MoverCol][MoverRow] = MoverHomeTop;
  HoleCol = MoverCol;
  HoleRow = MoverRow;
}

void AdvanceMove() {
  if (MoverArrived()) {
    CompleteMove();
    ChooseMove();
  } else {
    StepMover();
  }
}

}  // namespace MForm_unit
