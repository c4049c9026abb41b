#include "core/orientation.h"

#include <algorithm>
#include <cstring>

Orientation Inverse(Orientation o) {
  // A mirror followed by a turn undoes itself; a plain turn is undone by
  // the turn the rest of the way round.
  switch (o) {
    case Orientation::k90: return Orientation::k270;
    case Orientation::k270: return Orientation::k90;
    default: return o;
  }
}

Raster Reoriented(const Raster& picture, Orientation o) {
  const int w = picture.Width(), h = picture.Height();
  const int index = int(o) & 7;
  const bool sideways = index % 2 == 1;
  if (index == 0) return picture;
  Raster out(sideways ? h : w, sideways ? w : h);
  if (out.Width() == 0 || out.Height() == 0) return out;
  // Where the source pixel of output (0, 0) is, and the source steps (in
  // pixels along x and y of the source) for one output pixel to the right
  // and one down. A counter-clockwise quarter turn puts source (x, y) at
  // (y, w - 1 - x): output (0, 0) comes from (w - 1, 0), right is down the
  // source and down is leftwards. A mirror first puts (x, y) at (w - 1 - x, y).
  struct Walk {
    int x, y, rightX, rightY, downX, downY;
  };
  static constexpr int kLast = -1;  // stands for w - 1 or h - 1
  static constexpr Walk kWalks[8] = {
      {0, 0, 1, 0, 0, 1},             {kLast, 0, 0, 1, -1, 0},
      {kLast, kLast, -1, 0, 0, -1},   {0, kLast, 0, -1, 1, 0},
      {kLast, 0, -1, 0, 0, 1},        {0, 0, 0, 1, 1, 0},
      {0, kLast, 1, 0, 0, -1},        {kLast, kLast, 0, -1, -1, 0},
  };
  const Walk& walk = kWalks[index];
  const std::ptrdiff_t pixel = Raster::kBytesPerPixel, stride = picture.Stride();
  const std::ptrdiff_t right = walk.rightX * pixel + walk.rightY * stride;
  const std::ptrdiff_t down = walk.downX * pixel + walk.downY * stride;
  const std::uint8_t* origin = picture.Row(walk.y == kLast ? h - 1 : 0) +
                               (walk.x == kLast ? w - 1 : 0) * pixel;
  // In blocks, so that a quarter turn reads each source row's few pixels
  // of a block while they are still in the cache.
  constexpr int kBlockRows = 16, kBlockColumns = 256;
  for (int top = 0; top < out.Height(); top += kBlockRows) {
    const int bottom = std::min(top + kBlockRows, out.Height());
    for (int left = 0; left < out.Width(); left += kBlockColumns) {
      const int end = std::min(left + kBlockColumns, out.Width());
      for (int y = top; y < bottom; ++y) {
        const std::uint8_t* in = origin + y * down + left * right;
        std::uint8_t* to = out.Row(y) + left * pixel;
        for (int x = left; x < end; ++x, in += right, to += pixel) std::memcpy(to, in, pixel);
      }
    }
  }
  return out;
}
