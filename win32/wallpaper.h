#pragma once
// The user's desktop wallpaper, laid out as Windows lays it out on the
// primary monitor: the board's picture where the screen cannot be seen.
#include <optional>

#include "core/raster.h"

namespace win32 {

// The wallpaper at the primary monitor's size, on the desktop's background
// colour; empty when the desktop shows no picture, or none that decodes.
std::optional<Raster> WallpaperPicture();

}  // namespace win32
