#pragma once
// The hack's own full-screen windows, when no window is given to draw on:
// the saver's window over the primary monitor and a plain black cover over
// each of the others, all above everything and undecorated.
#include <X11/Xlib.h>

#include <vector>

#include "core/raster.h"

namespace x11 {

Window CreateSaverWindow(Display* display, Rect primary);

// Keys and buttons come to `window` whatever has the focus.
void GrabInput(Display* display, Window window);

class Covers {
 public:
  // Covers every monitor but the first, the primary, in place of the covers
  // before. The server paints them black itself, whenever they are exposed.
  void Cover(Display* display, const std::vector<Rect>& monitors);
  void Remove(Display* display);
  const std::vector<Window>& Windows() const { return windows_; }

 private:
  std::vector<Window> windows_;
};

}  // namespace x11
