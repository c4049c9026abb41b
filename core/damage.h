#pragma once
// The parts of a frame that differ from the frame before: a few rectangles in
// fixed storage (a tick allocates nothing). Overlapping rectangles are merged
// into their bounding box, so no pixel is presented twice.
#include <algorithm>
#include <array>

#include "core/raster.h"

constexpr bool IsEmpty(Rect r) { return r.right <= r.left || r.bottom <= r.top; }

constexpr Rect Intersection(Rect a, Rect b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

constexpr Rect BoundingBox(Rect a, Rect b) {
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

class Damage {
 public:
  static constexpr int kCapacity = 8;

  Damage() = default;
  explicit Damage(Rect area) { Add(area); }

  void Clear() { count_ = 0; }
  // An empty or inverted area adds nothing.
  void Add(Rect area) {
    if (IsEmpty(area)) return;
    for (int i = 0; i < count_;) {
      if (IsEmpty(Intersection(area, rects_[i])) && count_ < kCapacity) {
        ++i;
        continue;
      }
      // Overlapping, or no room left: take the rectangle in and look again.
      area = BoundingBox(area, rects_[i]);
      rects_[i] = rects_[--count_];
      i = 0;
    }
    rects_[count_++] = area;
  }

  bool Empty() const { return count_ == 0; }
  int Count() const { return count_; }
  const Rect* begin() const { return rects_.data(); }
  const Rect* end() const { return rects_.data() + count_; }

 private:
  std::array<Rect, kCapacity> rects_{};
  int count_ = 0;
};
