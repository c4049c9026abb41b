#include "core/MForm_unit.h"
#include "core/TMForm.h"

namespace MForm_unit {

void ResetState() {
  ScreenWidth = ScreenHeight = 0;
  Cols = Rows = 0;
  TileWidth = TileHeight = 0;
  TileRasters = {};
  TileImages = {};
  TileLeft = {};
  TileTop = {};
  HoleCol = HoleRow = 0;
  MoverCol = MoverRow = 0;
  Direction = PrevDirection = 0;
  MoverHomeLeft = MoverHomeTop = 0;
  MouseMovesToIgnore = kIgnoredMouseMoves;
  BackBuffer.reset();
  BlankFrame.reset();
  IntroTicks = 0;
  ShownTiles = {};
  FrameDamage.Clear();
}

}  // namespace MForm_unit
