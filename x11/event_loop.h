#pragma once
// The hack's loop: X events and the clock in, TMForm calls out, until the
// saver closes, its window goes or a signal arrives on `signalFd`.
#include <X11/Xlib.h>

#include "core/TMForm.h"
#include "core/raster.h"
#include "x11/own_window.h"

namespace x11 {

class EventLoop {
 public:
  // With `covers`, the hack owns its windows: input counts, pointer
  // positions are taken relative to `origin` (the saver window's corner on
  // the root window) wherever the pointer is, and the covers follow the
  // monitors. Without, the window is another's and only its size counts.
  EventLoop(Display* display, Window window, MForm_unit::TMForm& form, Covers* covers, Rect origin);

  // Returns the exit status.
  int Run(int signalFd);

 private:
  // False when there is nothing left to draw on.
  bool Handle(const XEvent& event);
  void HandleInput(const XEvent& event);
  int Finish(int status);

  Display* display_;
  Window window_;
  MForm_unit::TMForm& form_;
  Covers* covers_;
  Rect origin_;
  int monitorsChanged_ = -1;  // RandR's event type, when the covers follow the monitors
};

}  // namespace x11
