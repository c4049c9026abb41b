#include "x11/error_trap.h"

namespace {

bool caught = false;

int Catch(Display*, XErrorEvent*) {
  caught = true;
  return 0;
}

}  // namespace

namespace x11 {

ErrorTrap::ErrorTrap(Display* display) : display_(display) {
  XSync(display_, False);
  caught = false;
  previous_ = XSetErrorHandler(Catch);
}

ErrorTrap::~ErrorTrap() {
  XSync(display_, False);
  XSetErrorHandler(previous_);
}

bool ErrorTrap::Failed() {
  XSync(display_, False);
  return caught;
}

}  // namespace x11
