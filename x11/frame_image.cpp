#include "x11/frame_image.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "x11/error_trap.h"

namespace x11 {

namespace {

// Shared memory works only with a server on this machine.
bool LocalServer(Display* display) {
  const char* name = DisplayString(display);
  return name[0] == ':' || std::strncmp(name, "unix:", 5) == 0;
}

// The event type to look for comes as the predicate's argument.
Bool IsCompletion(Display*, XEvent* event, XPointer type) {
  return event->type == *reinterpret_cast<const int*>(type);
}

}  // namespace

PixelLayout LayoutOf(const XImage& image, const Visual* visual) {
  return {image.bits_per_pixel, std::uint32_t(visual->red_mask), std::uint32_t(visual->green_mask),
          std::uint32_t(visual->blue_mask), image.byte_order == MSBFirst};
}

FrameImage::FrameImage(Display* display, Window window, Visual* visual, int depth)
    : display_(display), window_(window), visual_(visual), depth_(depth),
      gc_(XCreateGC(display, window, 0, nullptr)) {}

FrameImage::~FrameImage() {
  Release();
  XFreeGC(display_, gc_);
}

XImage* FrameImage::MakeShared(int width, int height) {
  if (!LocalServer(display_) || !XShmQueryExtension(display_)) return nullptr;
  XImage* image = XShmCreateImage(display_, visual_, unsigned(depth_), ZPixmap, nullptr, &segment_,
                                  unsigned(width), unsigned(height));
  if (image == nullptr) return nullptr;
  segment_.shmid = shmget(IPC_PRIVATE, std::size_t(image->bytes_per_line) * height, IPC_CREAT | 0600);
  if (segment_.shmid < 0) {
    XDestroyImage(image);
    return nullptr;
  }
  segment_.shmaddr = image->data = static_cast<char*>(shmat(segment_.shmid, nullptr, 0));
  segment_.readOnly = False;
  bool attached = false;
  {
    ErrorTrap trap(display_);
    attached = segment_.shmaddr != reinterpret_cast<char*>(-1) && XShmAttach(display_, &segment_) &&
               !trap.Failed();
  }
  // Marked for removal at once: the segment goes with the last detach, even
  // if this process is killed.
  shmctl(segment_.shmid, IPC_RMID, nullptr);
  if (!attached) {
    if (segment_.shmaddr != reinterpret_cast<char*>(-1)) shmdt(segment_.shmaddr);
    image->data = nullptr;
    XDestroyImage(image);
    return nullptr;
  }
  completionEvent_ = XShmGetEventBase(display_) + ShmCompletion;
  return image;
}

void FrameImage::Make(int width, int height) {
  Release();
  image_ = MakeShared(width, height);
  shared_ = image_ != nullptr;
  if (!shared_) {
    image_ = XCreateImage(display_, visual_, unsigned(depth_), ZPixmap, 0, nullptr, unsigned(width),
                          unsigned(height), 32, 0);
    if (image_ == nullptr) throw std::runtime_error("cannot make an image of the window's size");
    image_->data = static_cast<char*>(std::calloc(std::size_t(image_->bytes_per_line), std::size_t(height)));
  }
  layout_ = LayoutOf(*image_, visual_);
  if (!Supported(layout_))
    throw std::runtime_error("the window's visual has a pixel layout this hack cannot draw");
}

// The server has read the shared image before anything writes it again; it
// says so with an event, which has nearly always come in by the next frame.
// A put that failed (its window gone) sends none: after a round trip, every
// answer to earlier requests is in, so what is still missing never comes.
void FrameImage::AwaitPuts() {
  XEvent event;
  const auto type = reinterpret_cast<XPointer>(&completionEvent_);
  while (putsInFlight_ > 0 && XCheckIfEvent(display_, &event, IsCompletion, type)) --putsInFlight_;
  if (putsInFlight_ == 0) return;
  XSync(display_, False);
  while (putsInFlight_ > 0 && XCheckIfEvent(display_, &event, IsCompletion, type)) --putsInFlight_;
  putsInFlight_ = 0;
}

void FrameImage::Put(const Raster& frame, const Damage& damage) {
  if (damage.Empty()) return;
  if (image_ == nullptr || image_->width != frame.Width() || image_->height != frame.Height())
    Make(frame.Width(), frame.Height());
  if (shared_) AwaitPuts();
  auto* bits = reinterpret_cast<std::uint8_t*>(image_->data);
  for (const Rect& area : damage) WriteImage(frame, area, layout_, bits, image_->bytes_per_line);
  // A frame of several pieces reaches anyone watching whole; so does a plain
  // image, which Xlib sends in several requests once it is large.
  const bool pieces = damage.Count() > 1 || !shared_;
  if (pieces) XGrabServer(display_);
  for (const Rect& area : damage) {
    const int x = area.left, y = area.top;
    const auto w = unsigned(area.right - area.left), h = unsigned(area.bottom - area.top);
    if (shared_) {
      XShmPutImage(display_, window_, gc_, image_, x, y, x, y, w, h, True);
      ++putsInFlight_;
    } else
      XPutImage(display_, window_, gc_, image_, x, y, x, y, w, h);
  }
  if (pieces) XUngrabServer(display_);
  XFlush(display_);
}

bool FrameImage::NoteEvent(const XEvent& event) {
  if (completionEvent_ < 0 || event.type != completionEvent_) return false;
  if (putsInFlight_ > 0) --putsInFlight_;
  return true;
}

void FrameImage::Release() {
  if (image_ == nullptr) return;
  if (shared_) {
    AwaitPuts();
    XShmDetach(display_, &segment_);
    XSync(display_, False);
    shmdt(segment_.shmaddr);
    image_->data = nullptr;
  }
  XDestroyImage(image_);  // frees plain image memory too
  image_ = nullptr;
}

}  // namespace x11
