// quillmere: the screensaver as an X11 hack. Draws on the daemon's window
// (--root), on a given window (--window-id) or on a full-screen window of its
// own; the loop below only turns X events and the clock into TMForm calls.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "core/MForm_unit.h"
#include "core/TMForm.h"
#include "core/services.h"
#include "x11/hack_options.h"
#include "x11/x11_platform.h"

namespace {

constexpr char kCaption[] = "Quillmere Screensaver 1.0";

int signalPipe[2] = {-1, -1};
std::string displayName;

void OnSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const auto written = write(signalPipe[1], &byte, 1);
}

void CatchTermination() {
  if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("cannot make a pipe");
  struct sigaction action{};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  for (int number : {SIGTERM, SIGINT, SIGHUP}) sigaction(number, &action, nullptr);
}

int LostConnection(Display*) {
  std::fprintf(stderr, "quillmere: lost the connection to the X display \"%s\"\n", displayName.c_str());
  std::_Exit(1);  // the shared memory was marked for removal when attached
}

bool xError = false;
int NoteError(Display*, XErrorEvent*) {
  xError = true;
  return 0;
}

int ReportXError(Display* display, XErrorEvent* event) {
  char text[256];
  XGetErrorText(display, event->error_code, text, sizeof text);
  std::fprintf(stderr, "quillmere: X error: %s (request %d)\n", text, event->request_code);
  return 0;
}

struct Target {
  Window window = 0;
  XWindowAttributes attributes{};
};

// The attributes of `window`, or nothing if no window has that id.
bool Describe(Display* display, Window window, XWindowAttributes& attributes) {
  XSync(display, False);
  xError = false;
  auto* previous = XSetErrorHandler(NoteError);
  const Status ok = XGetWindowAttributes(display, window, &attributes);
  XSync(display, False);
  XSetErrorHandler(previous);
  return ok && !xError;
}

std::optional<Window> DaemonWindow() {
  const char* value = std::getenv("XSCREENSAVER_WINDOW");
  if (value == nullptr || *value == 0) return std::nullopt;
  try {
    return x11::ParseWindowId(value);
  } catch (const x11::BadInput&) {
    throw x11::BadInput(std::string("XSCREENSAVER_WINDOW: not a window id: \"") + value + "\"");
  }
}

// The desktop the daemon photographed before it blanked the screen, if any.
std::optional<Raster> DaemonScreenshot(Display* display, Window daemonWindow, Visual* visual) {
  const Atom name = XInternAtom(display, "_SCREENSAVER_SCREENSHOT", False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, left = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, daemonWindow, name, 0, 1, False, XA_PIXMAP, &type, &format, &count,
                         &left, &data) != Success || data == nullptr)
    return std::nullopt;
  const Pixmap pixmap = count == 1 && format == 32 ? *reinterpret_cast<Pixmap*>(data) : 0;
  XFree(data);
  if (pixmap == 0) return std::nullopt;
  Window root;
  int x, y;
  unsigned width, height, border, depth;
  XSync(display, False);
  xError = false;
  auto* previous = XSetErrorHandler(NoteError);
  const Status ok = XGetGeometry(display, pixmap, &root, &x, &y, &width, &height, &border, &depth);
  XSync(display, False);
  XSetErrorHandler(previous);
  if (!ok || xError) return std::nullopt;
  return x11::GrabWindow(display, pixmap, visual, 0, 0, int(width), int(height));
}

// The primary monitor's rectangle on the root window.
Rect PrimaryMonitor(Display* display) {
  const int screen = DefaultScreen(display);
  Rect area{0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)};
  int event, error, count = 0;
  if (!XRRQueryExtension(display, &event, &error)) return area;
  XRRMonitorInfo* monitors = XRRGetMonitors(display, RootWindow(display, screen), True, &count);
  if (monitors == nullptr) return area;
  const XRRMonitorInfo* chosen = count > 0 ? &monitors[0] : nullptr;
  for (int i = 0; i < count; ++i)
    if (monitors[i].primary) chosen = &monitors[i];
  if (chosen) area = {chosen->x, chosen->y, chosen->x + chosen->width, chosen->y + chosen->height};
  XRRFreeMonitors(monitors);
  return area;
}

Window CreateOwnWindow(Display* display, Rect area) {
  const int screen = DefaultScreen(display);
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;  // above everything, no decoration
  attributes.background_pixel = BlackPixel(display, screen);
  attributes.event_mask = ExposureMask | StructureNotifyMask | PointerMotionMask | ButtonPressMask |
                          ButtonReleaseMask | KeyPressMask;
  const Window window = XCreateWindow(
      display, RootWindow(display, screen), area.left, area.top, unsigned(area.right - area.left),
      unsigned(area.bottom - area.top), 0, CopyFromParent, InputOutput, CopyFromParent,
      CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
  XStoreName(display, window, kCaption);
  // For a window manager that looks anyway.
  const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
  const Atom fullscreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
  XChangeProperty(display, window, state, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&fullscreen), 1);
  return window;
}

// Keys and buttons come to the full-screen window whatever has the focus.
void GrabInput(Display* display, Window window) {
  for (int attempt = 0; attempt < 50; ++attempt) {
    const bool keyboard = XGrabKeyboard(display, window, True, GrabModeAsync, GrabModeAsync,
                                        CurrentTime) == GrabSuccess;
    const bool pointer =
        XGrabPointer(display, window, True, PointerMotionMask | ButtonPressMask | ButtonReleaseMask,
                     GrabModeAsync, GrabModeAsync, None, None, CurrentTime) == GrabSuccess;
    if (keyboard && pointer) return;
    usleep(10000);
  }
}

class Hack {
 public:
  Hack(Display* display, Window window, bool ownWindow)
      : display_(display), window_(window), ownWindow_(ownWindow) {}

  // Returns the exit status.
  int Run() {
    const int fd = ConnectionNumber(display_);
    // The socket is read only when poll finds something there: no empty
    // read a tick.
    int mode = QueuedAfterReading;
    while (true) {
      for (; XEventsQueued(display_, mode) > 0; mode = QueuedAlready) {
        XEvent event;
        XNextEvent(display_, &event);
        if (!Handle(event)) return Finish(0);
        if (x11::CloseRequested()) return Finish(0);
      }
      const auto deadline = x11::TimerDeadline();
      const auto now = x11::Clock::now();
      if (deadline && now >= *deadline) {
        form.MTimerTimer();
        if (x11::CloseRequested()) return Finish(0);
        continue;
      }
      int timeout = -1;
      if (deadline) {
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*deadline - now);
        timeout = int(std::max<std::int64_t>(wait.count(), 0));
      }
      pollfd waits[2] = {{fd, POLLIN, 0}, {signalPipe[0], POLLIN, 0}};
      if (poll(waits, 2, timeout) < 0 && errno != EINTR) return Finish(1);
      if (waits[1].revents) return Finish(0);
      mode = waits[0].revents ? QueuedAfterReading : QueuedAlready;
      // A closed connection reads as end of file, reported as lost.
      if (waits[0].revents & (POLLHUP | POLLERR)) XNoOp(display_), XFlush(display_);
    }
  }

  MForm_unit::TMForm form;

 private:
  // False when there is nothing left to draw on.
  bool Handle(const XEvent& event) {
    if (x11::NoteEvent(event)) return true;
    switch (event.type) {
      case Expose: {
        const XExposeEvent& e = event.xexpose;
        form.FormPaint({e.x, e.y, e.x + e.width, e.y + e.height});
        return true;
      }
      case ConfigureNotify: {
        const XConfigureEvent& e = event.xconfigure;
        if (e.window == window_ && !ownWindow_ &&
            (e.width != MForm_unit::ScreenWidth || e.height != MForm_unit::ScreenHeight))
          form.FormResize(e.width, e.height);
        return true;
      }
      case DestroyNotify:
        return event.xdestroywindow.window != window_;
      case MapNotify:
        if (ownWindow_ && event.xmap.window == window_) {
          GrabInput(display_, window_);
          form.FormActivate();
        }
        return true;
    }
    if (!ownWindow_) return true;
    switch (event.type) {
      case MotionNotify:
        form.FormMouseMove(event.xmotion.x, event.xmotion.y);
        break;
      case ButtonPress:
        form.FormMouseDown();
        break;
      case ButtonRelease:
        form.FormClick();
        break;
      case KeyPress: {
        XKeyEvent key = event.xkey;
        char text[8];
        KeySym symbol;
        if (XLookupString(&key, text, sizeof text, &symbol, nullptr) > 0)
          form.FormKeyPress();
        else
          form.FormKeyDown();
        break;
      }
    }
    return true;
  }

  int Finish(int status) {
    platform::EnableTimer(false);
    form.FormClose();
    x11::ReleaseImage();
    if (ownWindow_) XDestroyWindow(display_, window_);
    return status;
  }

  Display* display_;
  Window window_;
  bool ownWindow_;
};

int RunHack(const x11::HackOptions& options, std::optional<std::uint64_t> seed) {
  CatchTermination();
  const char* name = std::getenv("DISPLAY");
  displayName = name ? name : "";
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) throw x11::BadInput("cannot open display \"" + displayName + "\"");
  // Closed on every way out, refusals included.
  const std::unique_ptr<Display, int (*)(Display*)> connection(display, XCloseDisplay);
  XSetIOErrorHandler(LostConnection);
  const int screen = DefaultScreen(display);
  const Window root = RootWindow(display, screen);
  const std::optional<Window> daemonWindow = DaemonWindow();

  using Mode = x11::HackOptions::Target;
  Window window = root;
  if (options.target == Mode::kRoot && daemonWindow) window = *daemonWindow;
  if (options.target == Mode::kWindowId) window = options.windowId;
  XWindowAttributes attributes{};
  if (options.target != Mode::kOwnWindow && !Describe(display, window, attributes)) {
    char id[32];
    std::snprintf(id, sizeof id, "0x%lx", window);
    throw x11::BadInput(std::string(options.target == Mode::kRoot ? "XSCREENSAVER_WINDOW" : "--window-id") +
                        ": no window has the id " + id);
  }
  XSetErrorHandler(ReportXError);

  // The desktop, before anything of ours is mapped.
  const Rect monitor = PrimaryMonitor(display);
  Visual* visual = options.target == Mode::kOwnWindow ? DefaultVisual(display, screen) : attributes.visual;
  std::optional<Raster> desktop;
  if (daemonWindow) desktop = DaemonScreenshot(display, *daemonWindow, visual);
  if (!desktop) {
    XWindowAttributes rootAttributes{};
    XGetWindowAttributes(display, root, &rootAttributes);
    const Rect area = options.target == Mode::kOwnWindow
                          ? monitor
                          : Rect{0, 0, rootAttributes.width, rootAttributes.height};
    desktop = x11::GrabWindow(display, root, DefaultVisual(display, screen), area.left, area.top,
                              area.right - area.left, area.bottom - area.top);
  }
  x11::SetDesktop(std::move(*desktop));

  const bool own = options.target == Mode::kOwnWindow;
  int width = attributes.width, height = attributes.height, depth = attributes.depth;
  if (own) {
    window = CreateOwnWindow(display, monitor);
    width = monitor.right - monitor.left, height = monitor.bottom - monitor.top;
    depth = DefaultDepth(display, screen);
  } else {
    XSelectInput(display, window, ExposureMask | StructureNotifyMask);
  }
  x11::BindWindow(display, window, visual, depth, own);

  Hack hack(display, window, own);
  hack.form.Seed = seed;
  hack.form.FormCreate(width, height);
  platform::EnableTimer(true);
  if (own) XMapRaised(display, window);
  XFlush(display);
  return hack.Run();
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const x11::HackOptions options =
        x11::ParseHackOptions(std::vector<std::string>(argv + 1, argv + argc));
    std::optional<std::uint64_t> seed;
    if (const char* value = std::getenv("QUILLMERE_SEED")) seed = x11::ParseSeed(value);
    return RunHack(options, seed);
  } catch (const x11::BadInput& error) {
    std::fprintf(stderr, "quillmere: %s\n", error.what());
    return 2;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "quillmere: %s\n", error.what());
    return 1;
  }
}
