#pragma once
// The user's desktop wallpaper, laid out as Windows lays it out on a
// monitor: the board's picture where the screen cannot be seen.
#include <optional>

#include "core/raster.h"

namespace win32 {

// The wallpaper of the monitor at `monitor` (its place on the virtual
// screen), at its size, on the desktop's background colour; empty when the
// desktop shows no picture there, or none that decodes.
std::optional<Raster> WallpaperPicture(Rect monitor);

}  // namespace win32
