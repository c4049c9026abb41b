#pragma once
// Where the hack draws and what it shows: the window that the options and
// the daemon name, the monitors, and the desktop as it was before the hack
// mapped anything.
#include <X11/Xlib.h>

#include <optional>
#include <vector>

#include "core/raster.h"
#include "x11/hack_options.h"

namespace x11 {

// The daemon's window, from XSCREENSAVER_WINDOW if set. Throws BadInput.
std::optional<Window> DaemonWindow();

struct Target {
  Window window = 0;
  XWindowAttributes attributes{};
};
// The window --root or --window-id names. Throws BadInput if there is none.
Target FindTarget(Display* display, const HackOptions& options, std::optional<Window> daemonWindow);

// The monitors' rectangles on the root window, the primary first; the whole
// root window where RandR reports none.
std::vector<Rect> Monitors(Display* display);

// The desktop the daemon photographed before it blanked the screen, if it
// did; else `area` of the root window as it is now.
Raster PhotographDesktop(Display* display, std::optional<Window> daemonWindow, Visual* visual,
                         Rect area);

}  // namespace x11
