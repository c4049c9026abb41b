// The intro's line lengths, the hole's inset and the lift, swept over many tile
// sizes, ticks and distances, against ReferenceRound and the lift worked out
// here, reading the pixels that the code drew.
#include <utility>
#include <vector>

#include "tests/core/test_support.h"

using namespace MForm_unit;

namespace {

constexpr Color kBlack = Rgb(0, 0, 0);

// Tile sizes from 1 x 1 to 300 x 300: every third width, each with a height
// spread over the range, and the sizes of common screens.
std::vector<std::pair<int, int>> SampledTileSizes() {
  std::vector<std::pair<int, int>> sizes = {{128, 96}, {100, 75}, {170, 96}, {210, 100},
                                            {60, 60},  {1, 1},    {300, 300}, {1, 300}};
  for (int width = 1; width <= 300; width += 3) sizes.push_back({width, 1 + (width * 97 + 13) % 300});
  return sizes;
}

// [first, last) of the pixels of a line of `length` that are not black; the
// whole line must be painted between them and black elsewhere.
template <typename PixelAt>
std::pair<int, int> PaintedRun(int length, PixelAt pixel) {
  int first = -1, last = -1;
  for (int i = 0; i < length; ++i) {
    if (pixel(i) == kBlack) continue;
    if (first < 0) first = i;
    else if (last != i) return {-2, -2};  // a gap: not one run
    last = i + 1;
  }
  return first < 0 ? std::pair(0, 0) : std::pair(first, last);
}

class Sweep : public CoreTest {};

// A line from `from` toward `to` covers `from` and what lies between, not `to`.
bool OnLine(int i, int from, int to) {
  return to > from ? from <= i && i < to : to < i && i <= from;
}

// Pixel (x, y) of a tile after the intro's four lines with lengths a and b.
// A length of 0 still covers the corner that lines 3 and 4 start from.
bool OnIntroLine(int x, int y, int w, int h, int a, int b) {
  return (x == 0 && OnLine(y, 0, b)) || (y == 0 && OnLine(x, 0, a)) ||
         (y == h - 1 && OnLine(x, w - 1, w - a)) || (x == w - 1 && OnLine(y, h - 1, h - b));
}

// The hole's picture shrunk into `area` of BackBuffer: each pixel is one of
// the tile's own (lavender, black on the last tick, or a numbered pixel),
// never a blend, and the numbered ones keep their order along rows and columns.
void ExpectShrunkPicture(Rect area, int w, int h, bool last) {
  std::vector<int> lastRowOfColumn(std::size_t(area.right), -1);
  for (int y = area.top; y < area.bottom; ++y) {
    int lastColumn = -1, sourceRow = -1;
    for (int x = area.left; x < area.right; ++x) {
      const Color c = BackBuffer->Pixel(x, y);
      if (c == kFrameLine || (last && c == kBlack)) continue;
      ASSERT_FALSE(last) << "a picture pixel on the last tick at " << x << "," << y;
      ASSERT_TRUE(c >= 1 && c <= Color(w * h)) << "blended colour at " << x << "," << y;
      const int sx = int(c - 1) % w, sy = int(c - 1) / w;
      ASSERT_GE(sx, lastColumn) << x << "," << y;
      ASSERT_TRUE(sourceRow < 0 || sy == sourceRow) << "a row mixes source rows at " << x << "," << y;
      ASSERT_GE(sy, lastRowOfColumn[std::size_t(x)]) << x << "," << y;
      lastColumn = sx, sourceRow = sy, lastRowOfColumn[std::size_t(x)] = sy;
    }
  }
}

// On every intro tick each tile carries lines of a = R(W, 100) along its top
// and bottom and b = R(H, 100) along its sides, from opposite corners; the
// hole's tile is drawn inset by s = R(min(W, H), 200) on every side.
TEST_F(Sweep, IntroLinesAndHoleInsetOnEveryTick) {
  for (const auto& [w, h] : SampledTileSizes()) {
    SCOPED_TRACE(testing::Message() << "tiles " << w << "x" << h);
    ResetState();
    PlaceBoard(w, h, 1, 1);
    // The hole's picture at (0, 0) alone fills the frame; the other tiles
    // fall outside it.
    *TileImages[1][1] = NumberedPicture(w, h);
    BackBuffer = std::make_unique<Raster>(w, h);
    const Raster& tile = *TileImages[2][1];
    // Lines stay in the tile: what each tick draws adds to what it shows.
    std::vector<char> lavender(std::size_t(w) * h);
    for (int tick = 1; tick <= kIntroLength; ++tick) {
      DrawIntro();
      ASSERT_EQ(IntroTicks, tick);
      const int a = ReferenceRound(w, 100, tick), b = ReferenceRound(h, 100, tick);
      const auto expectLine = [&](int x, int y) {
        char& drawn = lavender[std::size_t(y) * w + x];
        drawn = drawn || OnIntroLine(x, y, w, h, a, b);
        ASSERT_EQ(tile.Pixel(x, y), drawn ? kFrameLine : kBlack)
            << "at " << x << "," << y << ", tick " << tick << ", a " << a << ", b " << b;
      };
      for (int x = 0; x < w; ++x) expectLine(x, 0), expectLine(x, h - 1);
      for (int y = 0; y < h; ++y) expectLine(0, y), expectLine(w - 1, y);
      if (HasFatalFailure()) return;

      BackBuffer->Fill({0, 0, w, h}, kBlack);
      RenderFrame(false);
      const int s = ReferenceRound(std::min(w, h), 200, tick);
      // Where the inset leaves nothing (or less), nothing is drawn.
      const bool shown = w - 2 * s > 0 && h - 2 * s > 0;
      const Rect area = shown ? Rect{s, s, w - s, h - s} : Rect{};
      // Through the middle, and along the area's own edges: painted exactly
      // inside it (the last tick's picture is black inside its frame).
      const auto probe = [&](int x, int y) {
        const bool inside = x >= area.left && x < area.right && y >= area.top && y < area.bottom;
        const bool painted = BackBuffer->Pixel(x, y) != kBlack;
        if (painted != inside && (painted || tick < kIntroLength))
          FAIL() << "at " << x << "," << y << ", tick " << tick << ", inset " << s;
      };
      for (int x = 0; x < w; ++x)
        for (int y : {h / 2, std::max(area.top, 0), std::max(area.bottom - 1, 0)}) probe(x, y);
      for (int y = 0; y < h; ++y) probe(w / 2, y);
      if (tick >= kIntroLength - 2 && shown) ExpectShrunkPicture(area, w, h, tick == kIntroLength);
      if (HasFatalFailure()) return;
    }
  }
}

// The sliding tile at every distance D from the hole, for odd and even spans
// S, sideways and up or down, inside the board and in a border cell: it is
// drawn grown by half of d on every side, d = D up to half the span (D = S/2
// included) and S - D beyond, so negative, and the tile smaller, once D > S.
TEST_F(Sweep, LiftAtEveryDistance) {
  struct Placement {
    int holeCol, holeRow, moverCol, moverRow;
  };
  const Placement sideways[] = {{4, 4, 3, 4}, {2, 1, 1, 1}};  // the second one is clipped
  const Placement upOrDown[] = {{4, 4, 4, 3}, {1, 2, 1, 1}};
  for (int span : {1, 2, 3, 4, 7, 8, 75, 96, 128, 170}) {
    for (bool across : {true, false}) {
      for (const Placement& p : across ? sideways : upOrDown) {
        const int w = across ? span : 5, h = across ? 6 : span;
        ResetState();
        PlaceBoard(w, h, p.holeCol, p.holeRow);
        MoverCol = p.moverCol, MoverRow = p.moverRow;
        IntroTicks = kIntroLength;
        TileImages[MoverCol][MoverRow]->Fill({0, 0, w, h}, Rgb(9, 99, 199));
        const Raster black(8 * w, 8 * h);
        BackBuffer = std::make_unique<Raster>(black);
        std::int32_t& position = (across ? TileLeft : TileTop)[MoverCol][MoverRow];
        for (int distance = 0; distance <= 2 * span + 3; ++distance) {
          SCOPED_TRACE(testing::Message() << (across ? "sideways" : "up or down") << ", span " << span
                                          << ", distance " << distance << ", mover " << p.moverCol
                                          << "," << p.moverRow);
          position = (across ? TileLeft : TileTop)[HoleCol][HoleRow] - distance;
          *BackBuffer = black;
          RenderFrame(true);

          const int lift = distance > span / 2 ? span - distance : distance;
          const int grow = lift >= 0 ? lift / 2 : -(-lift / 2);
          const int left = TileLeft[MoverCol][MoverRow], top = TileTop[MoverCol][MoverRow];
          const Rect drawn{std::max(0, left - grow), std::max(0, top - grow),
                           std::min(8 * w, left + w + grow), std::min(8 * h, top + h + grow)};
          const bool shown = drawn.left < drawn.right && drawn.top < drawn.bottom;
          const auto run = [&](int from, int to) { return shown ? std::pair(from, to) : std::pair(0, 0); };
          // Probe through the middle of the tile's cell, where even a shrunk tile
          // still lies.
          const int middleX = std::max(0, left + w / 2), middleY = std::max(0, top + h / 2);
          ASSERT_EQ(PaintedRun(8 * w, [&](int x) { return BackBuffer->Pixel(x, middleY); }),
                    run(drawn.left, drawn.right));
          ASSERT_EQ(PaintedRun(8 * h, [&](int y) { return BackBuffer->Pixel(middleX, y); }),
                    run(drawn.top, drawn.bottom));
        }
      }
    }
  }
}

}  // namespace
