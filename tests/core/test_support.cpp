#include "tests/core/test_support.h"

#include <stdexcept>

#include "core/ssse3.h"

using namespace MForm_unit;

int ScriptedRandom::Next(int n) {
  if (answers_.empty()) {
    // Throwing ends the test instead of letting a redraw loop spin forever.
    throw std::runtime_error("the random script ran out");
  }
  const int answer = answers_.front();
  answers_.pop_front();
  EXPECT_TRUE(0 <= answer && answer < n) << answer << " is not below " << n;
  return answer;
}

Raster NumberedPicture(int width, int height) {
  Raster picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture.SetPixel(x, y, Color(1 + x + y * width));
  return picture;
}

void CoreTest::SetUp() {
  ResetState();
  UseRandomSource(nullptr);
  SeedRandom(12345);
}

void CoreTest::TearDown() {
  UseRandomSource(nullptr);
  ResetState();
}

void CoreTest::StartSaver(int width, int height) {
  ScreenWidth = width;
  ScreenHeight = height;
  headless::SetScreen(NumberedPicture(width, height));
  CreateFrameBuffers();
  BuildBoard();
}

void CoreTest::Tick(int count) {
  for (int i = 0; i < count; ++i) ComposeFrame();
}

void PlaceBoard(int tileWidth, int tileHeight, int holeCol, int holeRow) {
  Cols = kCols;
  Rows = kRows;
  TileWidth = tileWidth;
  TileHeight = tileHeight;
  for (int col = 1; col <= Cols; ++col) {
    for (int row = 1; row <= Rows; ++row) {
      Raster& tile = TileRasters[(col - 1) * Rows + (row - 1)];
      tile = Raster(tileWidth, tileHeight);
      TileImages[col][row] = &tile;
      TileLeft[col][row] = (col - 1) * tileWidth;
      TileTop[col][row] = (row - 1) * tileHeight;
    }
  }
  HoleCol = holeCol;
  HoleRow = holeRow;
}

namespace {

__extension__ typedef unsigned __int128 Wide;

// A value rounded to 64 significant bits: significand * 2^exponent.
struct Rounded {
  Wide significand;
  int exponent;
};

// Rounds the exact quotient n / d (n, d > 0) to 64 significant bits.
Rounded RoundQuotient(Wide n, Wide d) {
  int exponent = 0;
  // Scale until the quotient has exactly 64 bits before the point.
  while (n / d >= Wide(1) << 64) d <<= 1, ++exponent;
  while (n / d < Wide(1) << 63) n <<= 1, --exponent;
  Wide q = n / d;
  const Wide twice = 2 * (n % d);
  if (twice > d || (twice == d && (q & 1))) ++q;
  if (q == Wide(1) << 64) q >>= 1, ++exponent;
  return {q, exponent};
}

}  // namespace

int ReferenceRound(int x, int q, int ticks) {
  if (x == 0 || ticks == 0) return 0;
  const Rounded quotient = RoundQuotient(Wide(x), Wide(q));
  // The product of a 64-bit significand and ticks < 2^12 fits in 76 bits.
  const Rounded product = RoundQuotient(quotient.significand * Wide(ticks), 1);
  const int exponent = quotient.exponent + product.exponent;
  // To an integer, ties to even: value = significand * 2^exponent.
  if (exponent >= 0) return int(product.significand << exponent);
  if (-exponent >= 127) return 0;  // far below one half
  const Wide one = Wide(1) << -exponent;
  Wide whole = product.significand >> -exponent;
  const Wide twice = 2 * (product.significand & (one - 1));
  if (twice > one || (twice == one && (whole & 1))) ++whole;
  return int(whole);
}

void PrintTo(const Raster& raster, std::ostream* out) {
  *out << raster.Width() << " x " << raster.Height() << " raster";
  std::uint64_t hash = 1469598103934665603ULL;
  for (int y = 0; y < raster.Height(); ++y)
    for (int x = 0; x < raster.Width(); ++x) hash = (hash ^ raster.Pixel(x, y)) * 1099511628211ULL;
  *out << ", pixel hash " << std::hex << hash << std::dec;
}

void ForEachPixelPath(const std::function<void()>& test) {
  const bool before = UseSsse3();
  for (const bool shuffled : {false, true}) {
    if (shuffled && !HaveSsse3()) continue;
    SCOPED_TRACE(shuffled ? "shuffled pixel loops" : "portable pixel loops");
    UseSsse3() = shuffled;
    test();
  }
  UseSsse3() = before;
}
