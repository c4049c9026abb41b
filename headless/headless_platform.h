#pragma once
// The headless binding: the screen is a picture in memory, the saver window
// another of the same size that receives every presented frame, and the
// window's other services are recorded for whoever drives the clock.
#include <string>
#include <vector>

#include "core/raster.h"

namespace headless {

// Sets what the screen shows and starts a fresh window: a black raster of the
// screen's size, the timer enabled, the cursor counter at 0, nothing closed.
// An unseen screen is one the saver's capture cannot see.
void SetScreen(Raster picture, bool seen = true);
const Raster& Screen();
const Raster& Window();
int PresentCount();  // frames presented since SetScreen

bool TimerEnabled();
int CursorCounter();
bool CloseRequested();
const std::vector<std::string>& Failures();

}  // namespace headless
