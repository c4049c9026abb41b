#pragma once
// Everything the saver core asks of the platform. Each binding (Win32,
// headless) implements all of it in files of its own, chosen at build time.
#include <string>

#include "core/damage.h"
#include "core/raster.h"

namespace platform {

// The primary screen is photographed once when opened, read in tile-sized
// pieces of that one picture, and closed. Where the screen cannot show the
// user's desktop (the saver runs on a desktop of its own, or the capture
// failed), a platform may give a picture of its own instead (Windows: the
// user's wallpaper); opening answers false when it has none.
bool OpenScreen();
// Copies the screen rectangle at (left, top) of the raster's own size into it.
void CopyScreenRect(int left, int top, Raster& into);
void CloseScreen();

// Puts the damaged parts of a finished frame onto the saver window's client
// area, which shows the frame at (0, 0); the rest of the window already shows
// what the frame holds there.
void PresentFrame(const Raster& frame, const Damage& damage);

// The saver window's repeating tick; enabling it restarts the interval.
void EnableTimer(bool enabled);
// One show (or hide) request to the cursor; returns the display counter.
int ShowCursor(bool show);
// Asks the saver window to close; the closing itself arrives as FormClose.
void CloseSaverWindow();
// Tells the user that an event handler failed; the saver carries on.
void ReportFailure(const std::string& message);

}  // namespace platform
