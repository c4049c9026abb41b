#include <algorithm>
#include <cstdlib>

#include "platform/services.h"
#include "saver/MForm_unit.h"

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

// Draws the cell's tile scaled about its position: inset > 0 shrinks it on
// every side, inset < 0 grows it.
void DrawInset(int col, int row, std::int32_t inset) {
  const std::int32_t left = TileLeft[col][row], top = TileTop[col][row];
  BackBuffer->StretchDraw(
      {left + inset, top + inset, left + TileWidth - inset, top + TileHeight - inset},
      *TileImages[col][row]);
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
  // The frame is cleared from BlankFrame and drawn one band of rows at a time,
  // so that the tiles land on rows still in cache: the same picture as
  // clearing it all first, in a good deal less memory traffic.
  for (int top = 0; top < ScreenHeight; top += kBandRows) {
    const Rect band{0, top, ScreenWidth, top + kBandRows};
    BackBuffer->SetClip(band);
    BackBuffer->Copy(band, *BlankFrame, 0, top);
    RenderFrame(lifted);
  }
  BackBuffer->ResetClip();
  platform::PresentFrame(*BackBuffer);
}

void DrawIntro() {
  if (IntroTicks < kIntroLength) ++IntroTicks;
  if (IntroTicks == kIntroLength)
    TileImages[HoleCol][HoleRow]->Fill({0, 0, TileWidth, TileHeight}, kBlack);
  const std::int32_t a = RoundIntro(TileWidth, 100, IntroTicks);
  const std::int32_t b = RoundIntro(TileHeight, 100, IntroTicks);
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

void RenderFrame(bool lifted) {
  const std::int32_t lift = LiftAmount();
  for (int col = 1; col <= Cols; ++col) {
    for (int row = 1; row <= Rows; ++row) {
      if (col == HoleCol && row == HoleRow) continue;
      if (lifted && col == MoverCol && row == MoverRow) continue;
      BackBuffer->Draw(TileLeft[col][row], TileTop[col][row], *TileImages[col][row]);
    }
  }
  if (lifted)
    DrawInset(MoverCol, MoverRow, -lift / 2);
  else
    DrawInset(HoleCol, HoleRow, RoundIntro(std::min(TileWidth, TileHeight), 200, IntroTicks));
}

}  // namespace MForm_unit
