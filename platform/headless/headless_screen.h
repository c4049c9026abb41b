#pragma once
// The headless binding: the screen is a picture in memory and the saver
// window is another, the same size, that receives every presented frame.
#include "platform/raster.h"

namespace headless {

// Sets what the screen shows; the window becomes a black raster of its size.
void SetScreen(Raster picture);
const Raster& Screen();
const Raster& Window();
int PresentCount();  // frames presented since SetScreen

}  // namespace headless
