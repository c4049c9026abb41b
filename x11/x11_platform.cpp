#include "x11/x11_platform.h"

#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

#include "core/MForm_unit.h"
#include "core/TMForm.h"
#include "core/screen_picture.h"
#include "core/services.h"
#include "x11/error_trap.h"
#include "x11/pixel_layout.h"

namespace {

Display* display = nullptr;
Window window = 0;
Visual* visual = nullptr;
int depth = 0;
bool ownsCursor = false;
std::vector<Window> covers;
GC gc = nullptr;
Cursor invisible = 0;

ScreenPicture screen;  // the desktop as photographed before anything was mapped

XImage* image = nullptr;
XShmSegmentInfo segment{};
bool shared = false;
int completionEvent = -1;
int putsInFlight = 0;  // shared puts the server may still be reading
x11::PixelLayout layout;

std::optional<x11::Clock::time_point> deadline;
bool closeRequested = false;
int cursorCounter = 0;

// Hidden while the counter is below zero, over the saver's window and its
// covers alike, as the system cursor is on Windows.
void ShowCounterCursor() {
  for (const Window w : covers) XDefineCursor(display, w, cursorCounter < 0 ? invisible : None);
  XDefineCursor(display, window, cursorCounter < 0 ? invisible : None);
  XFlush(display);
}

x11::PixelLayout LayoutOf(const XImage& img, const Visual* v) {
  return {img.bits_per_pixel, std::uint32_t(v->red_mask), std::uint32_t(v->green_mask),
          std::uint32_t(v->blue_mask), img.byte_order == MSBFirst};
}

// Shared memory works only with a server on this machine.
bool LocalServer() {
  const char* name = DisplayString(display);
  return name[0] == ':' || std::strncmp(name, "unix:", 5) == 0;
}

XImage* MakeSharedImage(int width, int height) {
  if (!LocalServer() || !XShmQueryExtension(display)) return nullptr;
  XImage* img = XShmCreateImage(display, visual, unsigned(depth), ZPixmap, nullptr, &segment,
                                unsigned(width), unsigned(height));
  if (img == nullptr) return nullptr;
  segment.shmid = shmget(IPC_PRIVATE, std::size_t(img->bytes_per_line) * height, IPC_CREAT | 0600);
  if (segment.shmid < 0) {
    XDestroyImage(img);
    return nullptr;
  }
  segment.shmaddr = img->data = static_cast<char*>(shmat(segment.shmid, nullptr, 0));
  segment.readOnly = False;
  bool attached = false;
  {
    x11::ErrorTrap trap(display);
    attached = segment.shmaddr != reinterpret_cast<char*>(-1) && XShmAttach(display, &segment) &&
               !trap.Failed();
  }
  // Marked for removal at once: the segment goes with the last detach, even
  // if this process is killed.
  shmctl(segment.shmid, IPC_RMID, nullptr);
  if (!attached) {
    if (segment.shmaddr != reinterpret_cast<char*>(-1)) shmdt(segment.shmaddr);
    img->data = nullptr;
    XDestroyImage(img);
    return nullptr;
  }
  completionEvent = XShmGetEventBase(display) + ShmCompletion;
  return img;
}

Bool IsCompletion(Display*, XEvent* event, XPointer) { return event->type == completionEvent; }

// The server has read the shared image before anything writes it again; it
// says so with an event, which has nearly always come in by the next frame.
// A put that failed (its window gone) sends none: after a round trip, every
// answer to earlier requests is in, so what is still missing never comes.
void AwaitPuts() {
  XEvent event;
  while (putsInFlight > 0 && XCheckIfEvent(display, &event, IsCompletion, nullptr)) --putsInFlight;
  if (putsInFlight == 0) return;
  XSync(display, False);
  while (putsInFlight > 0 && XCheckIfEvent(display, &event, IsCompletion, nullptr)) --putsInFlight;
  putsInFlight = 0;
}

void MakeImage(int width, int height) {
  x11::ReleaseImage();
  image = MakeSharedImage(width, height);
  shared = image != nullptr;
  if (!shared) {
    image = XCreateImage(display, visual, unsigned(depth), ZPixmap, 0, nullptr, unsigned(width),
                         unsigned(height), 32, 0);
    if (image == nullptr) throw std::runtime_error("cannot make an image of the window's size");
    image->data = static_cast<char*>(std::calloc(std::size_t(image->bytes_per_line), std::size_t(height)));
  }
  layout = LayoutOf(*image, visual);
  if (!x11::Supported(layout))
    throw std::runtime_error("the window's visual has a pixel layout this hack cannot draw");
}

}  // namespace

namespace x11 {

void BindWindow(Display* d, Window w, Visual* v, int windowDepth, bool cursor) {
  display = d, window = w, visual = v, depth = windowDepth, ownsCursor = cursor;
  gc = XCreateGC(display, window, 0, nullptr);
  if (ownsCursor) {
    const char nothing = 0;
    const Pixmap blank = XCreateBitmapFromData(display, window, &nothing, 1, 1);
    XColor black{};
    invisible = XCreatePixmapCursor(display, blank, blank, &black, &black, 0, 0);
    XFreePixmap(display, blank);
  }
}

void BindCovers(const std::vector<Window>& windows) {
  covers = windows;
  if (ownsCursor) ShowCounterCursor();
}

void SetDesktop(Raster picture) { screen.Keep(std::move(picture)); }

Raster GrabWindow(Display* d, Drawable drawable, Visual* v, int x, int y, int width, int height) {
  XImage* img = XGetImage(d, drawable, x, y, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
  if (img == nullptr) throw std::runtime_error("cannot read the desktop picture");
  Raster picture(width, height);
  const PixelLayout l = LayoutOf(*img, v);
  if (!Supported(l)) {
    XDestroyImage(img);
    throw std::runtime_error("the desktop's pixel layout is not one this hack can read");
  }
  ReadImage(reinterpret_cast<const std::uint8_t*>(img->data), img->bytes_per_line, l, picture);
  XDestroyImage(img);
  return picture;
}

std::optional<Clock::time_point> TimerDeadline() { return deadline; }
bool CloseRequested() { return closeRequested; }

bool NoteEvent(const XEvent& event) {
  if (completionEvent < 0 || event.type != completionEvent) return false;
  if (putsInFlight > 0) --putsInFlight;
  return true;
}

void ReleaseImage() {
  if (image == nullptr) return;
  if (shared) {
    AwaitPuts();
    XShmDetach(display, &segment);
    XSync(display, False);
    shmdt(segment.shmaddr);
    image->data = nullptr;
  }
  XDestroyImage(image);  // frees plain image memory too
  image = nullptr;
}

}  // namespace x11

namespace platform {

bool OpenScreen() { return screen.Open(MForm_unit::ScreenWidth, MForm_unit::ScreenHeight); }

void CopyScreenRect(int left, int top, Raster& into) { screen.Copy(left, top, into); }

void CloseScreen() { screen.Close(); }

void PresentFrame(const Raster& frame, const Damage& damage) {
  if (damage.Empty()) return;
  if (image == nullptr || image->width != frame.Width() || image->height != frame.Height())
    MakeImage(frame.Width(), frame.Height());
  if (shared) AwaitPuts();
  auto* bits = reinterpret_cast<std::uint8_t*>(image->data);
  for (const Rect& area : damage) x11::WriteImage(frame, area, layout, bits, image->bytes_per_line);
  // A frame of several pieces reaches anyone watching whole; so does a plain
  // image, which Xlib sends in several requests once it is large.
  const bool pieces = damage.Count() > 1 || !shared;
  if (pieces) XGrabServer(display);
  for (const Rect& area : damage) {
    const int x = area.left, y = area.top;
    const auto w = unsigned(area.right - area.left), h = unsigned(area.bottom - area.top);
    if (shared) {
      XShmPutImage(display, window, gc, image, x, y, x, y, w, h, True);
      ++putsInFlight;
    } else
      XPutImage(display, window, gc, image, x, y, x, y, w, h);
  }
  if (pieces) XUngrabServer(display);
  XFlush(display);
}

void EnableTimer(bool enabled) {
  if (enabled)
    deadline = x11::Clock::now() + std::chrono::milliseconds(MForm_unit::kTimerInterval);
  else
    deadline.reset();
}

int ShowCursor(bool show) {
  cursorCounter += show ? 1 : -1;
  if (ownsCursor) ShowCounterCursor();
  return cursorCounter;
}

void CloseSaverWindow() { closeRequested = true; }

void ReportFailure(const std::string& message) {
  std::fprintf(stderr, "quillmere: %s\n", message.c_str());
}

}  // namespace platform
