#pragma once
// The X11 binding of the saver's platform services: frames go to one window
// through an image in shared memory when the server is local and offers
// MIT-SHM, else through plain image requests.
#include <X11/Xlib.h>

#include <chrono>
#include <optional>
#include <vector>

#include "core/raster.h"

namespace x11 {

using Clock = std::chrono::steady_clock;

// The window that receives frames and, when the hack owns it, the cursor.
void BindWindow(Display* display, Window window, Visual* visual, int depth, bool ownsCursor);
// The covers over the other monitors, which show the cursor as the saver's
// window does.
void BindCovers(const std::vector<Window>& covers);
// The desktop as photographed before anything was mapped; the screen the
// core captures is this picture at the window's current size.
void SetDesktop(Raster picture);
// Photographs `area` of the root window, or the pixmap the daemon saved.
Raster GrabWindow(Display* display, Drawable drawable, Visual* visual, int x, int y, int width,
                  int height);
// When the next tick is due; unset while the timer is stopped.
std::optional<Clock::time_point> TimerDeadline();
bool CloseRequested();
// Takes note of an event of the shared memory extension: true if it was one.
bool NoteEvent(const XEvent& event);
// Gives back the shared memory and the image; the next frame makes new ones.
void ReleaseImage();

}  // namespace x11
