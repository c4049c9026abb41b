#pragma once
// The hack's loop: X events and the clock in, TMForm calls out, until the
// saver closes, its window goes or a signal arrives on `signalFd`.
#include <X11/Xlib.h>

#include <vector>

#include "core/TMForm.h"
#include "core/raster.h"
#include "x11/own_window.h"
#include "x11/x11_platform.h"

namespace x11 {

class EventLoop {
 public:
  // With `covers`, the hack owns its windows: input counts, pointer
  // positions are taken on the root window relative to the saver window's
  // corner wherever the pointer is, and the saver window and the covers
  // follow the monitors, the first of `monitors` being the one the window
  // covers now. Without, the window is another's and only its size counts.
  EventLoop(Display* display, Window window, MForm_unit::TMForm& form, Binding& binding,
            Covers* covers, std::vector<Rect> monitors);

  // Returns the exit status.
  int Run(int signalFd);

 private:
  // False when there is nothing left to draw on.
  bool Handle(const XEvent& event);
  void HandleInput(const XEvent& event);
  void FollowMonitors();
  int Finish(int status);

  Display* display_;
  Window window_;
  MForm_unit::TMForm& form_;
  Binding& binding_;
  Covers* covers_;
  std::vector<Rect> monitors_;
  int monitorsChanged_ = -1;  // RandR's event type, when the windows follow the monitors
};

}  // namespace x11
