#pragma once
// The only way the saver core reaches the outside world. Each platform binding
// (Win32, headless) implements these in a file of its own, chosen at build time.
#include "platform/raster.h"

namespace platform {

// The primary screen is opened once, read in tile-sized pieces, and closed.
void OpenScreen();
// Copies the screen rectangle at (left, top) of the raster's own size into it.
void CopyScreenRect(int left, int top, Raster& into);
void CloseScreen();

// Puts a finished frame onto the saver window's client area at (0, 0).
void PresentFrame(const Raster& frame);

}  // namespace platform
