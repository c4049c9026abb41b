// One saver tick against what a tick would cost if it redrew the whole frame:
// three plain memcpy passes over a 3-byte-per-pixel frame (clear, tiles,
// present). Prints tick / floor for each size. A shuffle tick recomposes only
// what changed and should stay far below 1; an intro tick redraws everything.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "headless/headless_platform.h"
#include "core/MForm_unit.h"
#include "core/random.h"

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

// Memory-bound figures wander with other load: the ratios use medians.
#define AT_SCREEN_SIZES                                                          \
  ->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)       \
      ->Repetitions(5)->ReportAggregatesOnly(true)
BENCHMARK(ShuffleTick) AT_SCREEN_SIZES;
BENCHMARK(IntroTick) AT_SCREEN_SIZES;
BENCHMARK(MemcpyFloor) AT_SCREEN_SIZES;

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
}
