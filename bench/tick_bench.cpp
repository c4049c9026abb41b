// One saver tick against what a tick would cost if it redrew the whole frame:
// three plain memcpy passes over a 3-byte-per-pixel frame (clear, tiles,
// present). Prints tick / floor for each size. A shuffle tick recomposes only
// what changed and should stay far below 1; an intro tick redraws everything.
// And the two pixel loops of a shuffle tick, each against a memcpy of the
// bytes it writes: the lifted tile stretched at mid-slide, and a damage of
// that size turned into the 32-bit words a window takes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "headless/headless_platform.h"
#include "core/MForm_unit.h"
#include "core/random.h"
#include "core/xrgb.h"

namespace {

using namespace MForm_unit;

void StartSaver(int width, int height) {
  ResetState();
  Raster desktop(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) desktop.SetPixel(x, y, Rgb(x, y, x ^ y));
  ScreenWidth = width;
  ScreenHeight = height;
  headless::SetScreen(std::move(desktop));
  CreateFrameBuffers();
  SeedRandom(1);
  BuildBoard();
}

void ShuffleTick(benchmark::State& state) {
  StartSaver(int(state.range(0)), int(state.range(1)));
  for (int i = 0; i < kIntroLength; ++i) ComposeFrame();
  for (auto _ : state) ComposeFrame();
  benchmark::DoNotOptimize(headless::Window().Pixel(0, 0));
}

void IntroTick(benchmark::State& state) {
  StartSaver(int(state.range(0)), int(state.range(1)));
  for (auto _ : state) {
    IntroTicks = kIntroLength / 2;  // stay mid-intro however long it runs
    ComposeFrame();
  }
  benchmark::DoNotOptimize(headless::Window().Pixel(0, 0));
}

void MemcpyFloor(benchmark::State& state) {
  const std::size_t bytes = std::size_t(state.range(0)) * state.range(1) * 3;
  std::vector<char> blank(bytes, 1), back(bytes), window(bytes);
  for (auto _ : state) {
    std::memcpy(back.data(), blank.data(), bytes);
    std::memcpy(back.data(), window.data(), bytes);  // stands for the tiles
    std::memcpy(window.data(), back.data(), bytes);
    benchmark::ClobberMemory();
  }
}

// A screen's tile, and the rectangle it is stretched into half-way through a
// slide sideways: grown by a quarter of its width on every side.
struct Lift {
  Raster tile;
  Rect area;
};

Lift MidSlide(int screenWidth, int screenHeight) {
  const int w = screenWidth / 8, h = screenHeight / 8, grow = w / 2 / 2;
  Lift lift{Raster(w, h), {100 - grow, 100 - grow, 100 + w + grow, 100 + h + grow}};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) lift.tile.SetPixel(x, y, Rgb(x, y, x ^ y));
  return lift;
}

void StretchLiftedTile(benchmark::State& state) {
  const Lift lift = MidSlide(int(state.range(0)), int(state.range(1)));
  Raster frame(int(state.range(0)), int(state.range(1)));
  for (auto _ : state) {
    frame.StretchDraw(lift.area, lift.tile);
    benchmark::ClobberMemory();
  }
}

void ConvertDamage(benchmark::State& state) {
  const Lift lift = MidSlide(int(state.range(0)), int(state.range(1)));
  const Raster frame(int(state.range(0)), int(state.range(1)));
  const int stride = frame.Width() * 4;
  std::vector<std::uint8_t> image(std::size_t(stride) * frame.Height());
  for (auto _ : state) {
    WriteXrgb(frame, lift.area, image.data(), stride, WordOrder::kLittleEndian);
    benchmark::ClobberMemory();
  }
}

// Row by row, the bytes each of the two writes: 3 or 4 a pixel.
void CopyRows(benchmark::State& state, int bytesPerPixel) {
  const Lift lift = MidSlide(int(state.range(0)), int(state.range(1)));
  const std::size_t stride = std::size_t(state.range(0)) * bytesPerPixel;
  std::vector<std::uint8_t> from(stride * state.range(1)), to(from.size());
  const std::size_t offset = std::size_t(lift.area.left) * bytesPerPixel;
  const std::size_t row = std::size_t(lift.area.Width()) * bytesPerPixel;
  for (auto _ : state) {
    for (int y = lift.area.top; y < lift.area.bottom; ++y)
      std::memcpy(to.data() + y * stride + offset, from.data() + y * stride + offset, row);
    benchmark::ClobberMemory();
  }
}
void CopyRows3(benchmark::State& state) { CopyRows(state, 3); }
void CopyRows4(benchmark::State& state) { CopyRows(state, 4); }

// Memory-bound figures wander with other load: the ratios use medians.
#define AT_SCREEN_SIZES                                                          \
  ->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)       \
      ->Repetitions(5)->ReportAggregatesOnly(true)
BENCHMARK(ShuffleTick) AT_SCREEN_SIZES;
BENCHMARK(IntroTick) AT_SCREEN_SIZES;
BENCHMARK(MemcpyFloor) AT_SCREEN_SIZES;
BENCHMARK(StretchLiftedTile) AT_SCREEN_SIZES;
BENCHMARK(ConvertDamage) AT_SCREEN_SIZES;
BENCHMARK(CopyRows3) AT_SCREEN_SIZES;
BENCHMARK(CopyRows4) AT_SCREEN_SIZES;

// Keeps each run's time so that main can print the ratios after the table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.aggregate_name == "median")
        nanoseconds[run.run_name.function_name + "/" + run.run_name.args] = run.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> nanoseconds;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const char* size : {"1920/1080", "3840/2160"}) {
    const double floor = reporter.nanoseconds[std::string("MemcpyFloor/") + size];
    if (floor <= 0) continue;
    for (const char* tick : {"ShuffleTick/", "IntroTick/"}) {
      const auto found = reporter.nanoseconds.find(tick + std::string(size));
      if (found != reporter.nanoseconds.end())
        std::printf("%s%s: %.2f x the memcpy floor\n", tick, size, found->second / floor);
    }
  }
  for (const char* size : {"1920/1080", "3840/2160"}) {
    for (const auto& [loop, copy] : {std::pair{"StretchLiftedTile/", "CopyRows3/"},
                                     std::pair{"ConvertDamage/", "CopyRows4/"}}) {
      const double own = reporter.nanoseconds[loop + std::string(size)];
      const double bytes = reporter.nanoseconds[copy + std::string(size)];
      if (own > 0 && bytes > 0)
        std::printf("%s%s: %.2f x a memcpy of its bytes\n", loop, size, own / bytes);
    }
  }
}
