#include <algorithm>
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

// Recomposes `area` of BackBuffer from scratch, one band of rows at a time so
// that the tiles land on rows still in cache: the same picture as clearing it
// all first, in a good deal less memory traffic.
void Recompose(Rect area, bool lifted) {
  for (std::int32_t top = area.top; top < area.bottom; top += kBandRows) {
    const Rect band{area.left, top, area.right, std::min(top + kBandRows, area.bottom)};
    BackBuffer->SetClip(band);
    BackBuffer->Copy(band, *BlankFrame, band.left, band.top);
    RenderFrame(lifted);
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
  const int col = lifted ? MoverCol : HoleCol, row = lifted ? MoverRow : HoleRow;
  BackBuffer->StretchDraw(TileArea(col, row, lifted), *TileImages[col][row]);
}

}  // namespace MForm_unit
