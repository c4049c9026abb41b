#pragma once
// Where Windows lays the desktop's wallpaper out on the primary monitor, from
// the settings it keeps for it. Pure arithmetic, no OS header.
#include <string_view>

#include "core/raster.h"

namespace win32 {

enum class WallpaperLayout { Center, Tile, Stretch, Fit, Fill, Span };

// HKCU\Control Panel\Desktop's WallpaperStyle and TileWallpaper (decimal
// strings): 10 Fill, 6 Fit, 2 Stretch, 22 Span, 0 Center, or Tile where
// TileWallpaper is 1. An unreadable style counts as 0; another number centres.
WallpaperLayout LayoutOfStyle(std::wstring_view style, std::wstring_view tile);

// HKCU\Control Panel\Colors' Background, "R G B"; black if it is not that.
Color BackgroundOfText(std::wstring_view text);

struct Size {
  int width = 0, height = 0;
};

// Whether a picture of that size can be decoded at all: none of its sides
// empty, and few enough pixels to decode in well under a second.
bool DecodableSize(Size picture);

// Where the picture lands on a primary monitor of `monitor` size, whose
// top-left corner is (0, 0); `desktop` is the virtual screen, which Span
// spreads it over. Tile repeats it right and down from there.
Rect PlaceWallpaper(WallpaperLayout layout, Size picture, Size monitor, Rect desktop);

// The same on any monitor, `monitor` being its place on the virtual screen
// `desktop`: where the picture lands, from the monitor's own top-left corner.
// Each monitor lays it out as the primary does on its own (Tile from its own
// corner), but Span, which puts on each monitor its own part of the one
// picture spread over the whole desktop.
Rect PlaceWallpaperOn(WallpaperLayout layout, Size picture, Rect monitor, Rect desktop);

}  // namespace win32
