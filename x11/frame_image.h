#pragma once
// The image a frame's damage crosses to the window in: in shared memory
// when the server is local and offers MIT-SHM, else sent with plain image
// requests. Made at the frame's size when first needed, again when that
// changes.
#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include "core/damage.h"
#include "core/pixel_layout.h"
#include "core/raster.h"

namespace x11 {

class FrameImage {
 public:
  FrameImage(Display* display, Window window, Visual* visual, int depth);
  ~FrameImage();
  FrameImage(const FrameImage&) = delete;
  FrameImage& operator=(const FrameImage&) = delete;

  void Put(const Raster& frame, const Damage& damage);
  // Takes note of an event of the shared memory extension: true if it was one.
  bool NoteEvent(const XEvent& event);
  // Gives back the shared memory and the image; the next frame makes new ones.
  void Release();

 private:
  XImage* MakeShared(int width, int height);
  void Make(int width, int height);
  void AwaitPuts();

  Display* display_;
  Window window_;
  Visual* visual_;
  int depth_;
  GC gc_;
  XImage* image_ = nullptr;
  XShmSegmentInfo segment_{};
  bool shared_ = false;
  int completionEvent_ = -1;
  int putsInFlight_ = 0;  // shared puts the server may still be reading
  PixelLayout layout_;
};

// The layout of an image's pixels in that visual.
PixelLayout LayoutOf(const XImage& image, const Visual* visual);

}  // namespace x11
