#include "core/screen_picture.h"

bool ScreenPicture::Open(int width, int height) {
  if (!desktop_) return false;
  // Decided afresh at every open: a copy made for an earlier size, or from an
  // earlier picture, must not outlive an open without a close.
  if (desktop_->Width() == width && desktop_->Height() == height) {
    scaled_ = Raster();
  } else {
    scaled_ = Raster(width, height);
    scaled_.StretchDraw({0, 0, width, height}, *desktop_);
  }
  return true;
}

void ScreenPicture::Copy(int left, int top, Raster& into) const {
  const Raster& from = scaled_.Width() > 0 ? scaled_ : *desktop_;
  into.Copy({0, 0, into.Width(), into.Height()}, from, left, top);
}
