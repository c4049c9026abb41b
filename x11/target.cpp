#include "x11/target.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "core/pixel_layout.h"
#include "x11/error_trap.h"
#include "x11/frame_image.h"

namespace x11 {

namespace {

// `area` of a window or pixmap, read as it is now.
Raster GrabWindow(Display* display, Drawable drawable, Visual* visual, int x, int y, int width,
                  int height) {
  XImage* image = XGetImage(display, drawable, x, y, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
  if (image == nullptr) throw std::runtime_error("cannot read the desktop picture");
  const PixelLayout layout = LayoutOf(*image, visual);
  Raster picture(width, height);
  if (Supported(layout)) ReadImage(reinterpret_cast<const std::uint8_t*>(image->data), image->bytes_per_line, layout, picture);
  XDestroyImage(image);
  if (!Supported(layout)) throw std::runtime_error("the desktop's pixel layout is not one this hack can read");
  return picture;
}

// The pixmap the daemon saved the desktop in, if it is still there.
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
  ErrorTrap trap(display);
  const Status ok = XGetGeometry(display, pixmap, &root, &x, &y, &width, &height, &border, &depth);
  if (!ok || trap.Failed()) return std::nullopt;
  return GrabWindow(display, pixmap, visual, 0, 0, int(width), int(height));
}

}  // namespace

std::optional<Window> DaemonWindow() {
  const char* value = std::getenv("XSCREENSAVER_WINDOW");
  if (value == nullptr || *value == 0) return std::nullopt;
  try {
    return ParseWindowId(value);
  } catch (const BadInput&) {
    throw BadInput(std::string("XSCREENSAVER_WINDOW: not a window id: \"") + value + "\"");
  }
}

Target FindTarget(Display* display, const HackOptions& options, std::optional<Window> daemonWindow) {
  using Mode = HackOptions::Target;
  Target target{RootWindow(display, DefaultScreen(display)), {}};
  if (options.target == Mode::kRoot && daemonWindow) target.window = *daemonWindow;
  if (options.target == Mode::kWindowId) target.window = options.windowId;
  ErrorTrap trap(display);
  // Watched from before it is first asked about, so that a window that goes
  // while the saver starts ends it too.
  XSelectInput(display, target.window, ExposureMask | StructureNotifyMask);
  const bool found = XGetWindowAttributes(display, target.window, &target.attributes) && !trap.Failed();
  if (found && target.attributes.c_class == InputOutput) return target;
  char id[32];
  std::snprintf(id, sizeof id, "0x%lx", target.window);
  throw BadInput(std::string(options.target == Mode::kRoot ? "XSCREENSAVER_WINDOW" : "--window-id") +
                 (found ? ": the window " + std::string(id) + " takes input only and cannot be drawn on"
                        : ": no window has the id " + std::string(id)));
}

std::vector<Rect> Monitors(Display* display) {
  const int screen = DefaultScreen(display);
  std::vector<Rect> found;
  int event, error, count = 0;
  XRRMonitorInfo* monitors = XRRQueryExtension(display, &event, &error)
                                 ? XRRGetMonitors(display, RootWindow(display, screen), True, &count)
                                 : nullptr;
  for (int i = 0; i < count; ++i) {
    const XRRMonitorInfo& m = monitors[i];
    const Rect area{m.x, m.y, m.x + m.width, m.y + m.height};
    found.insert(m.primary ? found.begin() : found.end(), area);
  }
  if (monitors != nullptr) XRRFreeMonitors(monitors);
  if (found.empty()) found.push_back({0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)});
  return found;
}

Raster PhotographDesktop(Display* display, std::optional<Window> daemonWindow, Visual* visual,
                         Rect area) {
  if (daemonWindow)
    if (std::optional<Raster> saved = DaemonScreenshot(display, *daemonWindow, visual)) return *std::move(saved);
  const int screen = DefaultScreen(display);
  return GrabWindow(display, RootWindow(display, screen), DefaultVisual(display, screen), area.left,
                    area.top, area.right - area.left, area.bottom - area.top);
}

}  // namespace x11
