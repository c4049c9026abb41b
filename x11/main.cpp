// quillmere: the screensaver as an X11 hack. Draws on the daemon's window
// (--root), on a given window (--window-id) or on full-screen windows of its
// own; this file sets the process up and hands over to the event loop.
#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/TMForm.h"
#include "core/services.h"
#include "x11/event_loop.h"
#include "x11/hack_options.h"
#include "x11/own_window.h"
#include "x11/target.h"
#include "x11/x11_platform.h"

namespace {

int signalPipe[2] = {-1, -1};
std::string displayName;

void OnSignal(int) {
  const int saved = errno;  // the code the signal interrupted may be about to read it
  const char byte = 1;
  [[maybe_unused]] const auto written = write(signalPipe[1], &byte, 1);
  errno = saved;
}

// A signal becomes a byte the event loop polls for.
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

int ReportXError(Display* display, XErrorEvent* event) {
  char text[256];
  XGetErrorText(display, event->error_code, text, sizeof text);
  std::fprintf(stderr, "quillmere: X error: %s (request %d)\n", text, event->request_code);
  return 0;
}

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
  const std::optional<Window> daemonWindow = x11::DaemonWindow();
  const bool own = options.target == x11::HackOptions::Target::kOwnWindow;
  const x11::Target target = own ? x11::Target{} : x11::FindTarget(display, options, daemonWindow);
  XSetErrorHandler(ReportXError);

  // The desktop, before anything of ours is mapped: the primary monitor
  // alone for our own window, else the whole root window.
  const std::vector<Rect> monitors = x11::Monitors(display);
  const Rect primary = monitors.front();
  Visual* visual = own ? DefaultVisual(display, screen) : target.attributes.visual;
  const XWindowAttributes& a = target.attributes;
  const Rect area = own ? primary
                        : Rect{0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)};
  Raster desktop = x11::PhotographDesktop(display, daemonWindow, visual, area);

  Window window = target.window;
  int width = a.width, height = a.height, depth = a.depth;
  x11::Covers covers;
  if (own) {
    window = x11::CreateSaverWindow(display, primary);
    width = primary.right - primary.left, height = primary.bottom - primary.top;
    depth = DefaultDepth(display, screen);
  }
  x11::Binding binding(display, window, visual, depth, std::move(desktop), own ? &covers : nullptr,
                       own);

  MForm_unit::TMForm form;
  form.Seed = seed;
  form.FormCreate(width, height);
  platform::EnableTimer(true);
  x11::EventLoop loop(display, window, form, binding, own ? &covers : nullptr, monitors);
  if (own) {
    covers.Cover(display, monitors);
    binding.ApplyCursor();
    XMapRaised(display, window);
  }
  XFlush(display);
  return loop.Run(signalPipe[0]);
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
