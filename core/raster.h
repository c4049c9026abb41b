#pragma once
// A software picture of 24-bit colour: top-down rows of B, G, R bytes, each
// row padded to a multiple of 4 bytes, as in a Windows 24-bit DIB. Three bytes
// a pixel keep a full-screen frame a quarter smaller than XRGB would.
// Every drawing call clips at the edges.
#include <cstdint>
#include <vector>

using Color = std::uint32_t;  // 0x00RRGGBB

constexpr Color Rgb(int r, int g, int b) {
  return Color(r & 0xFF) << 16 | Color(g & 0xFF) << 8 | Color(b & 0xFF);
}
constexpr int RedOf(Color c) { return int(c >> 16 & 0xFF); }
constexpr int GreenOf(Color c) { return int(c >> 8 & 0xFF); }
constexpr int BlueOf(Color c) { return int(c & 0xFF); }

// Right and bottom edges are excluded.
struct Rect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  constexpr std::int64_t Width() const { return std::int64_t(right) - left; }
  constexpr std::int64_t Height() const { return std::int64_t(bottom) - top; }
  constexpr bool operator==(const Rect&) const = default;
};

class Raster {
 public:
  Raster() = default;
  Raster(int width, int height);  // black; a negative size counts as 0

  int Width() const { return width_; }
  int Height() const { return height_; }
  static constexpr int kBytesPerPixel = 3;
  int Stride() const { return stride_; }  // bytes from one row to the next
  const std::uint8_t* Bits() const { return bytes_.data(); }
  std::uint8_t* Row(int y) { return bytes_.data() + std::size_t(y) * stride_; }
  const std::uint8_t* Row(int y) const { return bytes_.data() + std::size_t(y) * stride_; }
  Color Pixel(int x, int y) const {
    const std::uint8_t* p = Row(y) + x * kBytesPerPixel;
    return Rgb(p[2], p[1], p[0]);
  }
  void SetPixel(int x, int y, Color c) {
    std::uint8_t* p = Row(y) + x * kBytesPerPixel;
    p[0] = std::uint8_t(BlueOf(c)), p[1] = std::uint8_t(GreenOf(c)), p[2] = std::uint8_t(RedOf(c));
  }

  void Fill(Rect area, Color color);
  // 1:1 copy of source's rectangle (sourceLeft, sourceTop, +area size) into area.
  void Copy(Rect area, const Raster& source, int sourceLeft, int sourceTop);
  void Draw(int x, int y, const Raster& source);
  // Nearest neighbour: source rows and columns are repeated or dropped, never
  // blended. An area of zero or negative width or height draws nothing.
  void StretchDraw(Rect area, const Raster& source);
  // 1-pixel lines from the first coordinate toward the second, which is excluded.
  void HorizontalLine(int fromX, int toX, int y, Color pen);
  void VerticalLine(int x, int fromY, int toY, Color pen);

  // Limits all drawing to `area` as well as to the raster, until reset.
  void SetClip(Rect area);
  void ResetClip() { clip_ = {0, 0, width_, height_}; }
  Rect ClipRect() const { return clip_; }

  bool operator==(const Raster& other) const {
    return width_ == other.width_ && height_ == other.height_ && bytes_ == other.bytes_;
  }

 private:
  int width_ = 0;
  int height_ = 0;
  int stride_ = 0;
  std::vector<std::uint8_t> bytes_;  // the padding bytes stay 0
  Rect clip_;  // within the raster
};
