#pragma once
// Drives the saver core the way the saver window does, with the timer replaced
// by a loop: the screen is a picture, the window a Raster in memory.
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/raster.h"

struct SaverRun {
  std::optional<std::uint64_t> seed;  // unset: the clock
  int ticks = 0;
  std::vector<int> keys;  // ascending; a character key press just before each
};

// Runs the saver over `desktop`; after every tick T calls afterTick(T, window),
// where window is what the saver window shows.
void RunSaver(Raster desktop, const SaverRun& run,
              const std::function<void(int tick, const Raster& window)>& afterTick);
