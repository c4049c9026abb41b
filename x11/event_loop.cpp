#include "x11/event_loop.h"

#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <poll.h>

#include <cerrno>
#include <utility>

#include "core/services.h"
#include "x11/target.h"

namespace x11 {

EventLoop::EventLoop(Display* display, Window window, MForm_unit::TMForm& form, Binding& binding,
                     Covers* covers, std::vector<Rect> monitors)
    : display_(display), window_(window), form_(form), binding_(binding), covers_(covers),
      monitors_(std::move(monitors)) {
  int event, error;
  if (covers_ != nullptr && XRRQueryExtension(display_, &event, &error)) {
    XRRSelectInput(display_, DefaultRootWindow(display_), RRScreenChangeNotifyMask);
    monitorsChanged_ = event + RRScreenChangeNotify;
  }
}

int EventLoop::Run(int signalFd) {
  const int fd = ConnectionNumber(display_);
  RunLoop& loop = binding_.Loop();
  // The socket is read when a tick is due or, with the timer stopped, when
  // poll finds something there.
  int mode = QueuedAfterReading;
  while (true) {
    for (; XEventsQueued(display_, mode) > 0; mode = QueuedAlready) {
      XEvent event;
      XNextEvent(display_, &event);
      if (!Handle(event) || loop.CloseRequested()) return Finish(0);
    }
    const auto now = RunLoop::Clock::now();
    if (loop.TickDue(now)) {
      form_.MTimerTimer();
      if (loop.CloseRequested()) return Finish(0);
      continue;
    }
    pollfd waits[2] = {{signalFd, POLLIN, 0}, {fd, POLLIN, 0}};
    const bool woken = loop.WokenByDisplay();
    if (poll(waits, woken ? 2 : 1, loop.Timeout(now)) < 0 && errno != EINTR) return Finish(1);
    if (waits[0].revents) return Finish(0);
    mode = !woken || waits[1].revents ? QueuedAfterReading : QueuedAlready;
    // A closed connection reads as end of file, reported as lost.
    if (waits[1].revents & (POLLHUP | POLLERR)) XNoOp(display_), XFlush(display_);
  }
}

bool EventLoop::Handle(const XEvent& event) {
  if (binding_.Image().NoteEvent(event)) return true;
  switch (event.type) {
    case Expose: {
      const XExposeEvent& e = event.xexpose;
      if (e.window == window_) form_.FormPaint({e.x, e.y, e.x + e.width, e.y + e.height});
      return true;
    }
    case ConfigureNotify: {
      const XConfigureEvent& e = event.xconfigure;
      if (e.window == window_ && covers_ == nullptr) form_.FormResize(e.width, e.height);
      return true;
    }
    case DestroyNotify:
      return event.xdestroywindow.window != window_;
    case UnmapNotify:
      // The saver's own window taken off the screen by another client: it
      // can neither be seen nor keep its grabs, and a release may never come.
      return covers_ == nullptr || event.xunmap.window != window_;
    case MapNotify:
      if (covers_ != nullptr && event.xmap.window == window_) {
        GrabInput(display_, window_);
        form_.FormActivate();
      }
      return true;
  }
  if (event.type == monitorsChanged_) {
    XRRUpdateConfiguration(const_cast<XEvent*>(&event));
    FollowMonitors();
    return true;
  }
  if (covers_ != nullptr) HandleInput(event);
  return true;
}

void EventLoop::HandleInput(const XEvent& event) {
  switch (event.type) {
    case MotionNotify:
      // On the root window's scale, so a move over a cover is one of the
      // same stream as a move over the saver's window.
      form_.FormMouseMove(event.xmotion.x_root - monitors_.front().left,
                          event.xmotion.y_root - monitors_.front().top);
      break;
    case ButtonPress:
      form_.FormMouseDown(int(event.xbutton.button));
      break;
    case ButtonRelease:
      form_.FormMouseUp(int(event.xbutton.button));
      break;
    case KeyPress: {
      XKeyEvent key = event.xkey;
      char text[8];
      KeySym symbol;
      if (XLookupString(&key, text, sizeof text, &symbol, nullptr) > 0)
        form_.FormKeyPress();
      else
        form_.FormKeyDown();
      break;
    }
  }
}

// A resolution changed, or a monitor came, went or moved: the saver window
// covers the primary again, wherever and however large it now is, and the
// covers the others.
void EventLoop::FollowMonitors() {
  std::vector<Rect> monitors = Monitors(display_);
  if (monitors == monitors_) return;
  monitors_ = std::move(monitors);
  const Rect& primary = monitors_.front();
  const auto width = std::int32_t(primary.Width()), height = std::int32_t(primary.Height());
  XMoveResizeWindow(display_, window_, primary.left, primary.top, unsigned(width), unsigned(height));
  form_.FormDisplayChange(width, height);
  covers_->Cover(display_, monitors_);
  binding_.ApplyCursor();
  XRaiseWindow(display_, window_);  // over covers of monitors that overlap the primary
}

int EventLoop::Finish(int status) {
  platform::EnableTimer(false);
  form_.FormClose();
  binding_.Image().Release();
  if (covers_ != nullptr) {
    covers_->Remove(display_);
    XDestroyWindow(display_, window_);
  }
  return status;
}

}  // namespace x11
