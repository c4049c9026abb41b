#pragma once
// A software picture: rows of 32-bit XRGB pixels, top-down, as in a Windows
// 32-bit DIB (bytes B, G, R, unused). Every drawing call clips at the edges.
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
  Color* Row(int y) { return pixels_.data() + std::size_t(y) * width_; }
  const Color* Row(int y) const { return pixels_.data() + std::size_t(y) * width_; }
  Color Pixel(int x, int y) const { return Row(y)[x]; }
  void SetPixel(int x, int y, Color c) { Row(y)[x] = c; }

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

  bool operator==(const Raster&) const = default;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<Color> pixels_;
};
