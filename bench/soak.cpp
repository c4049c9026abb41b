// Soak: the core for many ticks at 1920 x 1080 with key presses at random
// moments, checking the board after every tick and the resident set at the
// start of the shuffle and at the end. Usage: soak [TICKS] [SEED]. Fails if
// the board breaks or memory grows; run it under the sanitizers.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>

#include "core/MForm_unit.h"
#include "core/random.h"
#include "headless/headless_platform.h"

using namespace MForm_unit;

namespace {

constexpr int kWidth = 1920, kHeight = 1080;
constexpr long kAllowedGrowthKb = 1024;

long ResidentKb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Each tile once, and after the intro the hole holds the blank tile.
bool BoardIntact(const Raster* blank) {
  bool seen[kCols * kRows] = {};
  for (int col = 1; col <= kCols; ++col)
    for (int row = 1; row <= kRows; ++row) {
      const std::ptrdiff_t index = TileImages[col][row] - TileRasters.data();
      if (index < 0 || index >= kCols * kRows || seen[index]) return false;
      seen[index] = true;
    }
  return !blank || TileImages[HoleCol][HoleRow] == blank;
}

}  // namespace

int main(int argc, char** argv) {
  const long ticks = argc > 1 ? std::atol(argv[1]) : 1'000'000;
  const std::uint64_t seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
  Raster desktop(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) desktop.SetPixel(x, y, Rgb(x, y, x ^ y));
  ScreenWidth = kWidth;
  ScreenHeight = kHeight;
  headless::SetScreen(std::move(desktop));
  CreateFrameBuffers();
  SeedRandom(seed);
  BuildBoard();

  std::mt19937_64 keys(seed);  // apart from the saver's own generator
  std::uniform_int_distribution<int> oneIn(0, 399);
  const auto started = std::chrono::steady_clock::now();
  long startKb = 0, presses = 0;
  const Raster* blank = nullptr;
  for (long tick = 1; tick <= ticks; ++tick) {
    if (tick > kIntroLength && oneIn(keys) == 0) ChooseMove(), ++presses;
    ComposeFrame();
    if (tick == kIntroLength) {
      blank = TileImages[HoleCol][HoleRow];
      startKb = ResidentKb();
    }
    if (!BoardIntact(blank)) {
      std::fprintf(stderr, "soak: the board broke at tick %ld\n", tick);
      return 1;
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  const long endKb = ResidentKb();
  std::printf("soak: %ld ticks at %dx%d, %ld key presses, %.1f s (%.0f ticks/s)\n", ticks, kWidth,
              kHeight, presses, seconds, ticks / seconds);
  std::printf("soak: resident set %ld KB after the intro, %ld KB at the end\n", startKb, endKb);
  ReleaseFrameBuffers();
  if (ticks > kIntroLength && endKb - startKb > kAllowedGrowthKb) {
    std::fprintf(stderr, "soak: memory grew by %ld KB\n", endKb - startKb);
    return 1;
  }
  return 0;
}
