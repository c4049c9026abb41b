// Screens from 1 x 1 (tiles of 0 pixels) to 7680 x 4320: the board, the intro
// and thousands of shuffle ticks, checking what the user sees on every frame
// against a picture worked out here pixel by pixel, not by the drawing code.
#include "tests/core/test_support.h"

using namespace MForm_unit;

namespace {

constexpr Color kBlack = Rgb(0, 0, 0);

struct Size {
  int width, height;
  friend void PrintTo(const Size& s, std::ostream* out) { *out << s.width << "x" << s.height; }
};

class ScreenSizes : public CoreTest, public testing::WithParamInterface<Size> {
 protected:
  // Where the lifted mover is drawn: its cell grown by half of the lift on
  // every side, the lift rising by one pixel per pixel travelled up to half
  // the tile and falling back to 0 on arrival.
  static Rect MoverArea() {
    const bool sideways = MoverCol != HoleCol;
    const int span = sideways ? TileWidth : TileHeight;
    const int distance = sideways ? std::abs(TileLeft[HoleCol][HoleRow] - TileLeft[MoverCol][MoverRow])
                                  : std::abs(TileTop[HoleCol][HoleRow] - TileTop[MoverCol][MoverRow]);
    const int lift = distance * 2 > span - span % 2 ? span - distance : distance;
    const int grow = lift / 2, left = TileLeft[MoverCol][MoverRow], top = TileTop[MoverCol][MoverRow];
    return {left - grow, top - grow, left + TileWidth + grow, top + TileHeight + grow};
  }

  // The window, pixel by pixel: every cell but the hole and the mover shows
  // its own tile at home, the mover's area is painted (no tile picture holds
  // black), and everything else is black: the hole after the intro, what the
  // mover has left of its cell, the strips beyond the last tile. Where the mover is not lifted (the intro),
  // its cell is an ordinary one; the hole's shrinking tile is left alone.
  // Checks every `rowStep`-th row (a step prime to the tile height reaches
  // every row of a tile in time).
  void ExpectFrame(bool lifted, int rowStep) {
    const Raster& window = headless::Window();
    const Rect mover = lifted ? MoverArea() : Rect{};
    const int boardWidth = kCols * TileWidth, boardHeight = kRows * TileHeight;
    for (int y = 0; y < ScreenHeight; y += rowStep) {
      for (int x = 0; x < ScreenWidth; ++x) {
        const Color shown = window.Pixel(x, y);
        if (mover.left <= x && x < mover.right && mover.top <= y && y < mover.bottom) {
          if (shown == kBlack) FAIL() << "mover not painted at " << x << "," << y;
          continue;
        }
        Color expected = kBlack;
        if (x < boardWidth && y < boardHeight) {
          const int col = x / TileWidth + 1, row = y / TileHeight + 1;
          if (col == HoleCol && row == HoleRow) {
            if (!lifted) continue;
          } else if (!lifted || col != MoverCol || row != MoverRow) {
            expected = TileImages[col][row]->Pixel(x % TileWidth, y % TileHeight);
          }
        }
        if (shown != expected)
          FAIL() << "at " << x << "," << y << " after intro tick " << IntroTicks << ": " << std::hex
                 << shown << " instead of " << expected;
      }
    }
  }
};

TEST_P(ScreenSizes, TheBoardTheIntroAndTheShuffleKeepTheRules) {
  const auto [width, height] = GetParam();
  StartSaver(width, height);
  ASSERT_EQ(TileWidth, width / 8);
  ASSERT_EQ(TileHeight, height / 8);
  // Big screens run fewer ticks, and each check reads a sample of the rows
  // of fewer frames, to keep within a few million pixels for all checks.
  const long pixels = long(width) * height;
  const int ticks = kIntroLength + (pixels > 10'000'000 ? 300 : pixels > 1'000'000 ? 1000 : 3000);
  const int rowStep = int(pixels / 1'000'000) | 1;
  const long checks = std::max(2L, 4'000'000 / (pixels / rowStep));
  const int every = int(std::max(1L, ticks / checks));
  for (int tick = 1; tick <= ticks; ++tick) {
    const bool lifted = IntroTicks >= kIntroLength;
    Tick();
    ASSERT_EQ(headless::PresentCount(), tick);
    // Each move is chosen next to the hole, and the hole holds the blank tile.
    ASSERT_EQ(std::abs(MoverCol - HoleCol) + std::abs(MoverRow - HoleRow), 1);
    if (tick % every == 0 || tick == kIntroLength + 1) ExpectFrame(lifted, rowStep);
    if (HasFatalFailure()) return;
  }
  ExpectFrame(true, rowStep);
}

INSTANTIATE_TEST_SUITE_P(, ScreenSizes,
                         testing::Values(Size{1, 1}, Size{7, 5}, Size{8, 8}, Size{9, 9},
                                         Size{100, 75}, Size{799, 601}, Size{1366, 768},
                                         Size{2560, 1440}, Size{7680, 4320}),
                         [](const auto& info) {
                           return std::to_string(info.param.width) + "x" +
                                  std::to_string(info.param.height);
                         });

}  // namespace
