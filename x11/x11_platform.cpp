#include "x11/x11_platform.h"

#include <cstdio>
#include <utility>

#include "core/MForm_unit.h"
#include "core/services.h"
#include "x11/own_window.h"

namespace {

x11::Binding* bound = nullptr;

}  // namespace

namespace x11 {

Binding::Binding(Display* display, Window window, Visual* visual, int depth, Raster desktop,
                 const Covers* covers, bool ownsCursor)
    : display_(display), window_(window), covers_(covers), image_(display, window, visual, depth) {
  screen_.Keep(std::move(desktop));
  if (ownsCursor) {
    const char nothing = 0;
    const Pixmap blank = XCreateBitmapFromData(display, window, &nothing, 1, 1);
    XColor black{};
    invisible_ = XCreatePixmapCursor(display, blank, blank, &black, &black, 0, 0);
    XFreePixmap(display, blank);
  }
  bound = this;
}

Binding::~Binding() {
  bound = nullptr;
  if (invisible_ != 0) XFreeCursor(display_, invisible_);
}

// Hidden while the counter is below zero, over the saver's window and its
// covers alike, as the system cursor is on Windows.
void Binding::ApplyCursor() {
  if (invisible_ == 0) return;
  const Cursor cursor = loop_.CursorHidden() ? invisible_ : None;
  if (covers_ != nullptr)
    for (const Window cover : covers_->Windows()) XDefineCursor(display_, cover, cursor);
  XDefineCursor(display_, window_, cursor);
  XFlush(display_);
}

}  // namespace x11

namespace platform {

bool OpenScreen() { return bound->Screen().Open(MForm_unit::ScreenWidth, MForm_unit::ScreenHeight); }

void CopyScreenRect(int left, int top, Raster& into) { bound->Screen().Copy(left, top, into); }

void CloseScreen() { bound->Screen().Close(); }

void PresentFrame(const Raster& frame, const Damage& damage) { bound->Image().Put(frame, damage); }

void EnableTimer(bool enabled) { bound->Loop().EnableTimer(enabled); }

int ShowCursor(bool show) {
  const int counter = bound->Loop().ShowCursor(show);
  bound->ApplyCursor();
  return counter;
}

void CloseSaverWindow() { bound->Loop().RequestClose(); }

void ReportFailure(const std::string& message) {
  std::fprintf(stderr, "quillmere: %s\n", message.c_str());
}

}  // namespace platform
