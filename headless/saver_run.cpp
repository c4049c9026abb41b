#include "headless/saver_run.h"

#include <algorithm>
#include <utility>

#include "headless/headless_platform.h"
#include "core/MForm_unit.h"
#include "core/random.h"

void RunSaver(Raster desktop, const SaverRun& run,
              const std::function<void(int tick, const Raster& window)>& afterTick) {
  using namespace MForm_unit;
  // The order of the saver window's creation: screen size, frame buffers,
  // seed, board.
  ScreenWidth = desktop.Width();
  ScreenHeight = desktop.Height();
  headless::SetScreen(std::move(desktop));
  CreateFrameBuffers();
  if (run.seed)
    SeedRandom(*run.seed);
  else
    SeedRandomFromClock();
  BuildBoard();

  auto key = run.keys.begin();
  // Counted so that --ticks 2147483647 ends instead of overflowing the counter.
  for (int tick = 0; tick < run.ticks;) {
    ++tick;
    for (; key != run.keys.end() && *key <= tick; ++key) ChooseMove();
    ComposeFrame();
    afterTick(tick, headless::Window());
  }
  ReleaseFrameBuffers();
}
