#include "x11/own_window.h"

#include <X11/Xatom.h>
#include <unistd.h>

namespace x11 {

namespace {

constexpr char kCaption[] = "Quillmere Screensaver 1.0";
constexpr long kPointerEvents = PointerMotionMask | ButtonPressMask | ButtonReleaseMask;

Window CreateBlackWindow(Display* display, Rect area, long events) {
  const int screen = DefaultScreen(display);
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;  // above everything, no decoration
  attributes.background_pixel = BlackPixel(display, screen);
  attributes.event_mask = events;
  return XCreateWindow(display, RootWindow(display, screen), area.left, area.top,
                       unsigned(area.right - area.left), unsigned(area.bottom - area.top), 0,
                       CopyFromParent, InputOutput, CopyFromParent,
                       CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
}

}  // namespace

Window CreateSaverWindow(Display* display, Rect primary) {
  const Window window = CreateBlackWindow(
      display, primary, ExposureMask | StructureNotifyMask | KeyPressMask | kPointerEvents);
  XStoreName(display, window, kCaption);
  // For a window manager that looks anyway.
  const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
  const Atom fullscreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
  XChangeProperty(display, window, state, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&fullscreen), 1);
  return window;
}

void GrabInput(Display* display, Window window) {
  for (int attempt = 0; attempt < 50; ++attempt) {
    const bool keyboard = XGrabKeyboard(display, window, True, GrabModeAsync, GrabModeAsync,
                                        CurrentTime) == GrabSuccess;
    const bool pointer = XGrabPointer(display, window, True, kPointerEvents, GrabModeAsync,
                                      GrabModeAsync, None, None, CurrentTime) == GrabSuccess;
    if (keyboard && pointer) return;
    usleep(10000);
  }
}

void Covers::Cover(Display* display, const std::vector<Rect>& monitors) {
  Remove(display);
  for (std::size_t i = 1; i < monitors.size(); ++i) {
    // Pointer events on a cover count as on the saver's window.
    windows_.push_back(CreateBlackWindow(display, monitors[i], kPointerEvents));
    XMapRaised(display, windows_.back());
  }
}

void Covers::Remove(Display* display) {
  for (const Window window : windows_) XDestroyWindow(display, window);
  windows_.clear();
}

}  // namespace x11
