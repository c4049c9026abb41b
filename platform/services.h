#pragma once
// Everything the saver core asks of the platform. Each binding (Win32,
// headless) implements all of it in files of its own, chosen at build time.
#include <string>

#include "platform/raster.h"

namespace platform {

// The primary screen is opened once, read in tile-sized pieces, and closed.
void OpenScreen();
// Copies the screen rectangle at (left, top) of the raster's own size into it.
void CopyScreenRect(int left, int top, Raster& into);
void CloseScreen();

// Puts a finished frame onto the saver window's client area at (0, 0).
void PresentFrame(const Raster& frame);

// The saver window's repeating tick; enabling it restarts the interval.
void EnableTimer(bool enabled);
// One show (or hide) request to the cursor; returns the display counter.
int ShowCursor(bool show);
// Asks the saver window to close; the closing itself arrives as FormClose.
void CloseSaverWindow();
// Tells the user that an event handler failed; the saver carries on.
void ReportFailure(const std::string& message);

}  // namespace platform
