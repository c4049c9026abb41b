#include "core/raster.h"

#include "core/column_map.h"

#include <algorithm>
#include <cstring>

namespace {

// Clipping works in 64 bits so that no sum of two 32-bit coordinates overflows.
using Wide = std::int64_t;
constexpr int kPixel = Raster::kBytesPerPixel;

struct Span {
  Wide from, to;  // to excluded
  bool Empty() const { return to <= from; }
};

Span Clip(Wide from, Wide to, Wide low, Wide high) {
  return {std::max<Wide>(from, low), std::min<Wide>(to, high)};
}

}  // namespace

Raster::Raster(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      stride_((width_ * kPixel + 3) & ~3),
      bytes_(std::size_t(stride_) * height_, 0),
      clip_{0, 0, width_, height_} {}

void Raster::SetClip(Rect area) {
  clip_ = {std::max(area.left, 0), std::max(area.top, 0), std::min(area.right, width_),
           std::min(area.bottom, height_)};
}

void Raster::Fill(Rect area, Color color) {
  const Span xs = Clip(area.left, area.right, clip_.left, clip_.right);
  const Span ys = Clip(area.top, area.bottom, clip_.top, clip_.bottom);
  if (xs.Empty() || ys.Empty()) return;
  const std::uint8_t pixel[kPixel] = {std::uint8_t(BlueOf(color)), std::uint8_t(GreenOf(color)),
                                      std::uint8_t(RedOf(color))};
  // One row pixel by pixel, the others copied from it.
  std::uint8_t* first = Row(int(ys.from)) + xs.from * kPixel;
  for (std::uint8_t* out = first; out < first + (xs.to - xs.from) * kPixel; out += kPixel)
    std::memcpy(out, pixel, kPixel);
  for (Wide y = ys.from + 1; y < ys.to; ++y)
    std::memcpy(Row(int(y)) + xs.from * kPixel, first, std::size_t(xs.to - xs.from) * kPixel);
}

void Raster::Copy(Rect area, const Raster& source, int sourceLeft, int sourceTop) {
  Wide x = area.left, y = area.top, sx = sourceLeft, sy = sourceTop;
  Wide w = area.Width(), h = area.Height();
  const Wide skipX = std::max<Wide>({0, clip_.left - x, -sx});
  const Wide skipY = std::max<Wide>({0, clip_.top - y, -sy});
  x += skipX, sx += skipX, w -= skipX;
  y += skipY, sy += skipY, h -= skipY;
  w = std::min<Wide>({w, clip_.right - x, source.width_ - sx});
  h = std::min<Wide>({h, clip_.bottom - y, source.height_ - sy});
  if (w <= 0 || h <= 0) return;
  if (w == width_ && w == source.width_ && &source != this) {
    // Whole rows of equal length are one contiguous block: one copy.
    std::memcpy(Row(int(y)), source.Row(int(sy)), std::size_t(h) * stride_);
    return;
  }
  // Copying a raster onto itself downward must start at the bottom row.
  const bool bottomUp = &source == this && y > sy;
  for (Wide i = 0; i < h; ++i) {
    const Wide row = bottomUp ? h - 1 - i : i;
    std::memmove(Row(int(y + row)) + x * kPixel, source.Row(int(sy + row)) + sx * kPixel,
                 std::size_t(w) * kPixel);
  }
}

void Raster::Draw(int x, int y, const Raster& source) {
  Copy({x, y, x + source.width_, y + source.height_}, source, 0, 0);
}

void Raster::StretchDraw(Rect area, const Raster& source) {
  const Wide dw = area.Width(), dh = area.Height();
  const Wide sw = source.width_, sh = source.height_;
  if (dw <= 0 || dh <= 0 || sw == 0 || sh == 0) return;
  const Span xs = Clip(area.left, Wide(area.left) + dw, clip_.left, clip_.right);
  const Span ys = Clip(area.top, Wide(area.top) + dh, clip_.top, clip_.bottom);
  if (xs.Empty() || ys.Empty()) return;

  // Column by column the map samples the source; rows repeat whole. The map
  // takes the destination in pieces of at most ColumnMap::kColumns.
  ColumnMap columns;
  for (Wide piece = xs.from; piece < xs.to; piece += ColumnMap::kColumns) {
    const int count = int(std::min<Wide>(ColumnMap::kColumns, xs.to - piece));
    const std::size_t rowBytes = std::size_t(count) * kPixel;
    if (dw != sw) columns.Build(piece - area.left, count, sw, dw);
    Wide previousSourceRow = -1;
    for (Wide y = ys.from; y < ys.to; ++y) {
      const Wide sourceRow = (y - area.top) * sh / dh;
      std::uint8_t* out = Row(int(y)) + piece * kPixel;
      if (sourceRow == previousSourceRow)  // a repeated row: copy the one just made
        std::memcpy(out, out - stride_, rowBytes);
      else if (dw == sw)
        std::memcpy(out, source.Row(int(sourceRow)) + (piece - area.left) * kPixel, rowBytes);
      else
        columns.Sample(source.Row(int(sourceRow)), out);
      previousSourceRow = sourceRow;
    }
  }
}

void Raster::HorizontalLine(int fromX, int toX, int y, Color pen) {
  if (toX >= fromX)
    Fill({fromX, y, toX, y + 1}, pen);
  else
    Fill({toX + 1, y, fromX + 1, y + 1}, pen);
}

void Raster::VerticalLine(int x, int fromY, int toY, Color pen) {
  if (toY >= fromY)
    Fill({x, fromY, x + 1, toY}, pen);
  else
    Fill({x, toY + 1, x + 1, fromY + 1}, pen);
}
