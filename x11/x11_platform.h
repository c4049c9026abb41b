#pragma once
// The X11 binding of the saver's platform services, for one hack: frames go
// to one window through a FrameImage, the cursor is hidden over it and the
// covers, and the timer and close request are the event loop's. The hack's
// main makes one; the services reach it while it lives.
#include <X11/Xlib.h>

#include "core/run_loop.h"
#include "core/screen_picture.h"
#include "x11/frame_image.h"

namespace x11 {

class Covers;

class Binding {
 public:
  // `desktop` is the desktop as photographed before anything was mapped;
  // the screen the core captures is that picture at the window's size. With
  // `ownsCursor`, the cursor is the hack's to hide over the window and over
  // `covers`.
  Binding(Display* display, Window window, Visual* visual, int depth, Raster desktop,
          const Covers* covers, bool ownsCursor);
  ~Binding();
  Binding(const Binding&) = delete;
  Binding& operator=(const Binding&) = delete;

  RunLoop& Loop() { return loop_; }
  FrameImage& Image() { return image_; }
  ScreenPicture& Screen() { return screen_; }
  // Shows or hides the cursor as the counter says, over the window and the
  // covers as they are now.
  void ApplyCursor();

 private:
  Display* display_;
  Window window_;
  const Covers* covers_;
  Cursor invisible_ = 0;  // 0 when the cursor is not the hack's
  RunLoop loop_;
  ScreenPicture screen_;
  FrameImage image_;
};

}  // namespace x11
