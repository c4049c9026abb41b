#pragma once
// The screen the core photographs, for a binding that takes the desktop as
// one picture at the start: that picture at the window's size now,
// stretched nearest neighbour (as the core stretches) where the size has
// changed since, so that a board cut after a display change shows the
// desktop again and never the saver itself.
#include <optional>
#include <utility>

#include "core/raster.h"

class ScreenPicture {
 public:
  // Nothing where the desktop could not be seen: the core then draws its
  // sample desktop.
  void Keep(std::optional<Raster> desktop) { desktop_ = std::move(desktop); }
  // The services' OpenScreen, at the window's size: false without a picture.
  bool Open(int width, int height);
  // The services' CopyScreenRect.
  void Copy(int left, int top, Raster& into) const;
  void Close() { scaled_ = Raster(); }

 private:
  std::optional<Raster> desktop_;
  Raster scaled_;  // the picture at the size opened, where that differs
};
