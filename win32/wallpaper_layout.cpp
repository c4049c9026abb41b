#include "win32/wallpaper_layout.h"

#include <cstdint>
#include <optional>

namespace win32 {

namespace {

using Wide = std::int64_t;

// A whole decimal number below 2^16 and nothing else, blanks around it aside.
std::optional<int> Number(std::wstring_view& text) {
  while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
  int value = 0, digits = 0;
  for (; !text.empty() && text.front() >= L'0' && text.front() <= L'9' && value < 65536;
       text.remove_prefix(1), ++digits)
    value = value * 10 + (text.front() - L'0');
  while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
  if (digits == 0 || value >= 65536) return std::nullopt;
  return value;
}

std::optional<int> WholeNumber(std::wstring_view text) {
  const std::optional<int> value = Number(text);
  return text.empty() ? value : std::nullopt;
}

// a * b / c rounded to nearest, halves up, for positive sizes.
Wide Scaled(Wide a, Wide b, Wide c) { return (2 * a * b + c) / (2 * c); }

// Where a side of `size` starts when centred on one of `room`. Windows'
// documentation says only "centred"; this halves the leftover toward zero,
// as C's division does, so that the odd pixel always lies right of or below
// the picture: one more column of background beside a small picture, one
// more cut from a large one.
Wide CentredStart(Wide room, Wide size) { return (room - size) / 2; }

// `picture` scaled as a whole to fit inside `area` (or, with `cover`, to
// cover it), centred on it.
Rect Centred(Size picture, Rect area, bool cover) {
  const Wide width = area.Width(), height = area.Height();
  // Whether the picture is wider than the area, for their heights alike.
  const bool wider = Wide(picture.width) * height > Wide(picture.height) * width;
  Wide w = width, h = height;
  if (wider == cover)
    w = Scaled(picture.width, height, picture.height);
  else
    h = Scaled(picture.height, width, picture.width);
  const Wide left = area.left + CentredStart(width, w), top = area.top + CentredStart(height, h);
  return {std::int32_t(left), std::int32_t(top), std::int32_t(left + w), std::int32_t(top + h)};
}

}  // namespace

WallpaperLayout LayoutOfStyle(std::wstring_view style, std::wstring_view tile) {
  switch (WholeNumber(style).value_or(0)) {
    case 10:
      return WallpaperLayout::Fill;
    case 6:
      return WallpaperLayout::Fit;
    case 2:
      return WallpaperLayout::Stretch;
    case 22:
      return WallpaperLayout::Span;
    case 0:
      return WholeNumber(tile) == 1 ? WallpaperLayout::Tile : WallpaperLayout::Center;
    default:
      return WallpaperLayout::Center;
  }
}

Color BackgroundOfText(std::wstring_view text) {
  int channels[3];
  for (int& channel : channels) {
    const std::optional<int> value = Number(text);
    if (!value || *value > 255) return Rgb(0, 0, 0);
    channel = *value;
  }
  return text.empty() ? Rgb(channels[0], channels[1], channels[2]) : Rgb(0, 0, 0);
}

bool DecodableSize(Size picture) {
  constexpr Wide kMaxSide = Wide(1) << 15, kMaxPixels = Wide(1) << 25;  // 8K UHD fits
  return picture.width > 0 && picture.height > 0 && picture.width <= kMaxSide &&
         picture.height <= kMaxSide && Wide(picture.width) * picture.height <= kMaxPixels;
}

Rect PlaceWallpaper(WallpaperLayout layout, Size picture, Size monitor, Rect desktop) {
  if (picture.width <= 0 || picture.height <= 0) return {};
  const Rect screen{0, 0, monitor.width, monitor.height};
  switch (layout) {
    case WallpaperLayout::Tile:
      return {0, 0, picture.width, picture.height};
    case WallpaperLayout::Stretch:
      return screen;
    case WallpaperLayout::Fit:
      return Centred(picture, screen, false);
    case WallpaperLayout::Fill:
      return Centred(picture, screen, true);
    case WallpaperLayout::Span:
      return Centred(picture, desktop, true);
    case WallpaperLayout::Center:
      break;
  }
  const int left = int(CentredStart(monitor.width, picture.width)),
            top = int(CentredStart(monitor.height, picture.height));
  return {left, top, left + picture.width, top + picture.height};
}

Rect PlaceWallpaperOn(WallpaperLayout layout, Size picture, Rect monitor, Rect desktop) {
  const Size size{int(monitor.Width()), int(monitor.Height())};
  if (layout != WallpaperLayout::Span) return PlaceWallpaper(layout, picture, size, desktop);
  const Rect spread = PlaceWallpaper(layout, picture, size, desktop);
  if (spread.Width() <= 0) return spread;
  return {spread.left - monitor.left, spread.top - monitor.top, spread.right - monitor.left,
          spread.bottom - monitor.top};
}

}  // namespace win32
