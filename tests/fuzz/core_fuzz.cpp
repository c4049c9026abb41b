// The saver core under a schedule of ticks and key presses. Bytes 0-3 choose
// the screen (1..4096 on each side, mostly small), bytes 4-11 the seed; each later byte is
// either a key press (below 32) or a run of ticks. After every tick the board
// must still hold each of the 64 tiles once, with the hole where the board
// says; on small screens the frame shown must equal one composed from scratch.
// ASan sees any drawing outside a raster.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <array>

#include "core/MForm_unit.h"
#include "core/random.h"
#include "headless/headless_platform.h"

using namespace MForm_unit;

namespace {

// Pixels composed per input, at most: big screens run fewer ticks.
constexpr std::int64_t kPixelBudget = 10'000'000;
constexpr int kMaxTicks = 1500;
constexpr std::int64_t kComparedScreen = 20000;  // pixels

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

// 1..4096 from the low 12 bits, shifted right by the top 4: most inputs get
// small screens, which run many ticks, and every size stays reachable.
int Side(unsigned bits) { return 1 + ((bits & 0xFFF) >> (bits >> 12 & 0xF)); }

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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 12) return 0;
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

  int ticks = 0;
  std::int64_t budget = kPixelBudget;
  for (std::size_t i = 12; i < size && ticks < kMaxTicks && budget > 0; ++i) {
    if (data[i] < 32) {
      ChooseMove();
      continue;
    }
    for (int run = data[i] - 31; run > 0 && ticks < kMaxTicks && budget > 0; --run, ++ticks) {
      const bool lifted = IntroTicks >= kIntroLength;  // the last intro tick is not
      ComposeFrame();
      // An intro tick redraws the whole frame, a shuffle tick about one tile.
      budget -= IntroTicks < kIntroLength ? pixels : pixels / 16 + 64;
      if (IntroTicks == kIntroLength && !blank) blank = TileImages[HoleCol][HoleRow];
      CheckBoard(blank, introHoleCol, introHoleRow);
      if (pixels <= kComparedScreen) CheckFrame(lifted);
    }
  }
  ReleaseFrameBuffers();
  ResetState();
  return 0;
}
