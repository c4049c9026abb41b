#include "core/services.h"
#include "core/MForm_unit.h"
#include "core/random.h"
#include "core/sample_desktop.h"

namespace MForm_unit {

namespace {

// Keeps the screen open for exactly as long as the capture runs.
struct OpenedScreen {
  OpenedScreen() : seen(platform::OpenScreen()) {}
  ~OpenedScreen() { platform::CloseScreen(); }
  OpenedScreen(const OpenedScreen&) = delete;
  OpenedScreen& operator=(const OpenedScreen&) = delete;
  const bool seen;
};

}  // namespace

void BuildBoard() {
  {
    OpenedScreen screen;
    // Tiles of a desktop the user never sees are better than black ones.
    const Raster sample = screen.seen ? Raster() : DrawSampleDesktop(ScreenWidth, ScreenHeight);
    Cols = kCols;
    Rows = kRows;
    TileWidth = ScreenWidth / Cols;
    TileHeight = ScreenHeight / Rows;
    TileImages = {};
    TileLeft = {};
    TileTop = {};
    for (int col = 1; col <= Cols; ++col) {
      for (int row = 1; row <= Rows; ++row) {
        Raster& tile = TileRasters[(col - 1) * Rows + (row - 1)];
        tile = Raster(TileWidth, TileHeight);
        TileImages[col][row] = &tile;
        TileLeft[col][row] = (col - 1) * TileWidth;
        TileTop[col][row] = (row - 1) * TileHeight;
        if (screen.seen)
          platform::CopyScreenRect(TileLeft[col][row], TileTop[col][row], tile);
        else
          tile.Copy({0, 0, TileWidth, TileHeight}, sample, TileLeft[col][row], TileTop[col][row]);
      }
    }
  }
  HoleCol = Random(Cols) + 1;  // the column is drawn before the row
  HoleRow = Random(Rows) + 1;
  ChooseMove();
  IntroTicks = 0;
  RenderFrame(false);
}

}  // namespace MForm_unit
