#pragma once
// Catches the X errors of a few requests instead of reporting them, for
// requests that may fail in the normal course (a window id that names
// nothing, a pixmap the daemon has freed, shared memory the server refuses).
#include <X11/Xlib.h>

namespace x11 {

class ErrorTrap {
 public:
  // Settles what was sent before, so that no earlier error is caught here.
  explicit ErrorTrap(Display* display);
  ~ErrorTrap();
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;

  // Waits for the answers to the requests since construction: true if any
  // of them was an error.
  bool Failed();

 private:
  Display* display_;
  XErrorHandler previous_;
};

}  // namespace x11
