#include <algorithm>
#include <array>
#include <cstdlib>

#include "core/services.h"
#include "core/MForm_unit.h"

namespace MForm_unit {

namespace {

constexpr Color kBlack = Rgb(0, 0, 0);
constexpr int kBandRows = 32;

// How far the sliding tile is lifted: 0 at either end of the slide, half the
// tile's length along the slide at mid-way; negative if it has further to go
// than one tile (a key press can cause that).
std::int32_t LiftAmount() {
  std::int32_t span = 0, distance = 0;
  if (HoleCol != MoverCol) {
    span = TileWidth;
    distance = std::abs(TileLeft[HoleCol][HoleRow] - TileLeft[MoverCol][MoverRow]);
  }
  if (HoleRow != MoverRow) {
    span = TileHeight;
    distance = std::abs(TileTop[HoleCol][HoleRow] - TileTop[MoverCol][MoverRow]);
  }
  return distance > span / 2 ? span - distance : distance;
}

// The cell drawn scaled, over everything else: the sliding tile after the
// intro, the shrinking hole during it.
struct ScaledCell {
  int col, row;
};
ScaledCell ScaledTile(bool lifted) { return lifted ? ScaledCell{MoverCol, MoverRow} : ScaledCell{HoleCol, HoleRow}; }

// The tiles drawn 1:1 that reach into `area`, in drawing order: all but the
// hole's and the scaled one.
struct FlatTiles {
  std::array<ScaledCell, kCols * kRows> cells;
  int count = 0;
};
FlatTiles FlatTilesIn(Rect area, bool lifted) {
  const ScaledCell scaled = ScaledTile(lifted);
  FlatTiles found;
  for (int col = 1; col <= Cols; ++col) {
    for (int row = 1; row <= Rows; ++row) {
      if ((col == scaled.col && row == scaled.row) || (col == HoleCol && row == HoleRow)) continue;
      const Rect tile{TileLeft[col][row], TileTop[col][row], TileLeft[col][row] + TileWidth,
                      TileTop[col][row] + TileHeight};
      if (!IsEmpty(Intersection(tile, area))) found.cells[found.count++] = {col, row};
    }
  }
  return found;
}

// Clears `piece` of BackBuffer and draws the 1:1 tiles into it.
void ComposeFlat(Rect piece, const FlatTiles& tiles) {
  if (IsEmpty(piece)) return;
  BackBuffer->SetClip(piece);
  BackBuffer->Copy(piece, *BlankFrame, piece.left, piece.top);
  for (int i = 0; i < tiles.count; ++i) {
    const auto [col, row] = tiles.cells[i];
    BackBuffer->Draw(TileLeft[col][row], TileTop[col][row], *TileImages[col][row]);
  }
}

// Recomposes `area` of BackBuffer from scratch, one band of rows at a time so
// that the tiles land on rows still in cache: the same picture as clearing it
// all and drawing every tile (RenderFrame), in a good deal less memory
// traffic. Nothing is drawn beneath the scaled tile, which covers its
// rectangle whole: it is drawn once, after the bands.
void Recompose(Rect area, bool lifted) {
  const FlatTiles tiles = FlatTilesIn(area, lifted);
  const ScaledCell scaled = ScaledTile(lifted);
  const Rect over = TileArea(scaled.col, scaled.row, lifted);
  const Rect covered = Intersection(area, over);
  for (std::int32_t top = area.top; top < area.bottom; top += kBandRows) {
    const Rect band{area.left, top, area.right, std::min(top + kBandRows, area.bottom)};
    const Rect inside = Intersection(band, covered);
    if (IsEmpty(inside)) {
      ComposeFlat(band, tiles);
      continue;
    }
    ComposeFlat({band.left, band.top, band.right, inside.top}, tiles);
    ComposeFlat({band.left, inside.top, inside.left, inside.bottom}, tiles);
    ComposeFlat({inside.right, inside.top, band.right, inside.bottom}, tiles);
    ComposeFlat({band.left, inside.bottom, band.right, band.bottom}, tiles);
  }
  if (!IsEmpty(covered)) {
    BackBuffer->SetClip(covered);
    BackBuffer->StretchDraw(over, *TileImages[scaled.col][scaled.row]);
  }
  BackBuffer->ResetClip();
}

}  // namespace

void CreateFrameBuffers() {
  // A new raster is black throughout.
  BackBuffer = std::make_unique<Raster>(ScreenWidth, ScreenHeight);
  BlankFrame = std::make_unique<Raster>(ScreenWidth, ScreenHeight);
}

void ReleaseFrameBuffers() {
  BackBuffer.reset();
  BlankFrame.reset();
}

void ComposeFrame() {
  if (!BackBuffer) return;  // the window has already released its frames
  const bool lifted = IntroTicks >= kIntroLength;
  if (lifted)
    AdvanceMove();
  else
    DrawIntro();
  // The intro redraws every tile's picture: the whole frame changes. After
  // it, only cells drawn elsewhere or with another picture than last time.
  const Rect screen{0, 0, ScreenWidth, ScreenHeight};
  FrameDamage.Clear();
  if (!lifted) FrameDamage.Add(screen);
  for (int col = 1; col <= Cols; ++col) {
    for (int row = 1; row <= Rows; ++row) {
      const bool onTop = lifted ? col == MoverCol && row == MoverRow
                                : col == HoleCol && row == HoleRow;
      const DrawnTile now{TileArea(col, row, lifted), TileImages[col][row], onTop};
      DrawnTile& shown = ShownTiles[col][row];
      if (now == shown) continue;
      FrameDamage.Add(Intersection(shown.area, screen));
      FrameDamage.Add(Intersection(now.area, screen));
      shown = now;
    }
  }
  for (const Rect& area : FrameDamage) Recompose(area, lifted);
  platform::PresentFrame(*BackBuffer, FrameDamage);
}

void DrawIntro() {
  if (IntroTicks < kIntroLength) ++IntroTicks;
  if (IntroTicks == kIntroLength)
    TileImages[HoleCol][HoleRow]->Fill({0, 0, TileWidth, TileHeight}, kBlack);
  const std::int32_t a = RoundIntro(TileWidth, kLineGrowthDivisor, IntroTicks);
  const std::int32_t b = RoundIntro(TileHeight, kLineGrowthDivisor, IntroTicks);
  const std::int32_t w = TileWidth, h = TileHeight;
  for (int col = 1; col <= Cols; ++col) {
    for (int row = 1; row <= Rows; ++row) {
      Raster& tile = *TileImages[col][row];
      tile.VerticalLine(0, 0, b, kFrameLine);
      tile.HorizontalLine(0, a, 0, kFrameLine);
      tile.HorizontalLine(w - 1, w - a, h - 1, kFrameLine);
      tile.VerticalLine(w - 1, h - 1, h - b, kFrameLine);
    }
  }
}

Rect TileArea(int col, int row, bool lifted) {
  // Scaled about its position: an inset > 0 shrinks the tile on every side,
  // an inset < 0 grows it.
  std::int32_t inset = 0;
  if (col == HoleCol && row == HoleRow) {
    if (lifted) return {};
    inset = RoundIntro(std::min(TileWidth, TileHeight), kHoleShrinkDivisor, IntroTicks);
  } else if (lifted && col == MoverCol && row == MoverRow) {
    inset = -LiftAmount() / 2;
  }
  const std::int32_t left = TileLeft[col][row], top = TileTop[col][row];
  return {left + inset, top + inset, left + TileWidth - inset, top + TileHeight - inset};
}

void RenderFrame(bool lifted) {
  for (int col = 1; col <= Cols; ++col) {
    for (int row = 1; row <= Rows; ++row) {
      if (col == HoleCol && row == HoleRow) continue;
      if (lifted && col == MoverCol && row == MoverRow) continue;
      BackBuffer->Draw(TileLeft[col][row], TileTop[col][row], *TileImages[col][row]);
    }
  }
  // The one scaled tile goes on top of its neighbours.
  const auto [col, row] = ScaledTile(lifted);
  BackBuffer->StretchDraw(TileArea(col, row, lifted), *TileImages[col][row]);
}

}  // namespace MForm_unit
