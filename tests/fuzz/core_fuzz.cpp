// The saver core under a schedule of ticks and key presses. Bytes 0-3 choose
// the screen (1..256 on each side, mostly a few dozen pixels, so that an
// input takes a fraction of a millisecond; the seed corpus holds larger ones),
// bytes 4-11 the seed, byte 12 how far the intro has come; each later byte is
// either a key press (below 32) or a run of ticks. After every tick the board
// must still hold each of the 64 tiles once, with the hole where the board
// says; on small screens the frame shown, every few ticks and before a key
// press or the end, must equal one composed from scratch.
// ASan sees any drawing outside a raster.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <array>

#include "core/MForm_unit.h"
#include "core/random.h"
#include "headless/headless_platform.h"

using namespace MForm_unit;

namespace {

// What one input may ask, so that inputs run by the hundred thousand: pixels
// composed, at most (big screens run fewer ticks), and ticks (a jump near the
// intro's end and tiles of a few pixels leave room for several moves).
constexpr std::int64_t kPixelBudget = 10'000;
constexpr int kMaxTicks = 16;
constexpr std::int64_t kComparedScreen = 4096;  // pixels
constexpr int kComparedEvery = 8;  // ticks: stale pixels stay stale, so they are seen later

void Check(bool ok) {
  if (!ok) std::abort();
}

bool IsTile(const Raster* raster) {
  return raster >= TileRasters.data() && raster < TileRasters.data() + TileRasters.size();
}

void CheckBoard(const Raster* blank, int introHoleCol, int introHoleRow) {
  std::array<bool, kCols * kRows> seen{};
  for (int col = 1; col <= kCols; ++col)
    for (int row = 1; row <= kRows; ++row) {
      Check(IsTile(TileImages[col][row]));
      bool& once = seen[std::size_t(TileImages[col][row] - TileRasters.data())];
      Check(!once);
      once = true;
    }
  Check(TileImages[0][0] == nullptr || IsTile(TileImages[0][0]));
  for (int i = 1; i <= kCols; ++i)
    Check(TileImages[i][0] == nullptr && TileImages[0][i] == nullptr);
  Check(1 <= HoleCol && HoleCol <= kCols && 1 <= HoleRow && HoleRow <= kRows);
  Check(std::abs(MoverCol - HoleCol) + std::abs(MoverRow - HoleRow) == 1);
  if (blank) {
    Check(TileImages[HoleCol][HoleRow] == blank);
  } else {
    Check(HoleCol == introHoleCol && HoleRow == introHoleRow);
  }
}

// The frame shown must be the whole composition of the current state, however
// little of it the tick recomposed.
void CheckFrame(bool lifted) {
  const Raster& window = headless::Window();
  Check(window == *BackBuffer);
  BackBuffer->Fill({0, 0, ScreenWidth, ScreenHeight}, Rgb(0, 0, 0));
  RenderFrame(lifted);
  Check(window == *BackBuffer);
}

// 1..256 from the low 8 bits, shifted right by the next 4: most inputs get
// small screens, which run many ticks, and every size stays reachable.
int Side(unsigned bits) { return 1 + ((bits & 0xFF) >> (bits >> 8 & 0xF)); }

Raster Desktop(int width, int height) {
  Raster desktop(width, height);
  const int tileWidth = width / kCols + 1, tileHeight = height / kRows + 1;
  for (int col = 0; col <= kCols; ++col)
    for (int row = 0; row <= kRows; ++row)
      desktop.Fill({col * tileWidth, row * tileHeight, (col + 1) * tileWidth, (row + 1) * tileHeight},
                   Rgb(20 + col * 25, 20 + row * 25, 99));
  return desktop;
}

}  // namespace

// Every input makes and frees its rasters: a short quarantine lets the next
// one reuse that memory instead of faulting in fresh pages, and still holds
// all that one input frees.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=32"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 13) return 0;
  const int width = Side(data[0] | data[1] << 8);
  const int height = Side(data[2] | data[3] << 8);
  std::uint64_t seed = 0;
  std::memcpy(&seed, data + 4, sizeof seed);
  const std::int64_t pixels = std::int64_t(width) * height;

  ResetState();
  ScreenWidth = width;
  ScreenHeight = height;
  headless::SetScreen(Desktop(width, height));
  CreateFrameBuffers();
  SeedRandom(seed);
  BuildBoard();
  const int introHoleCol = HoleCol, introHoleRow = HoleRow;
  const Raster* blank = nullptr;
  // Each intro tick's lines cover the last one's, so the board after a jump
  // to tick k is the board after k ticks. Most inputs start on the intro's
  // last tick (a byte of 99 or more), where the shuffle begins.
  IntroTicks = std::min<int>(data[12], kIntroLength - 1);

  int ticks = 0;
  std::int64_t budget = kPixelBudget;
  bool lifted = false, unchecked = false;
  // The frame shown is that of the last tick: it is compared before a key
  // press changes what a composition from scratch would show.
  const auto checkFrame = [&] {
    if (unchecked && pixels <= kComparedScreen) CheckFrame(lifted);
    unchecked = false;
  };
  for (std::size_t i = 13; i < size && ticks < kMaxTicks && budget > 0; ++i) {
    if (data[i] < 32) {
      checkFrame();
      ChooseMove();
      continue;
    }
    for (int run = data[i] - 31; run > 0 && ticks < kMaxTicks && budget > 0; --run) {
      lifted = IntroTicks >= kIntroLength;  // the last intro tick is not
      ComposeFrame();
      ++ticks;
      unchecked = true;
      // An intro tick redraws the whole frame, a shuffle tick about one tile.
      budget -= IntroTicks < kIntroLength ? pixels : pixels / 16 + 64;
      if (IntroTicks == kIntroLength && !blank) blank = TileImages[HoleCol][HoleRow];
      CheckBoard(blank, introHoleCol, introHoleRow);
      if (ticks % kComparedEvery == 0) checkFrame();
    }
  }
  checkFrame();
  ReleaseFrameBuffers();
  ResetState();
  return 0;
}
