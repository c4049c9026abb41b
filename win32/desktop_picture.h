#pragma once
// The user's desktop as the saver first sees it: every monitor photographed
// while nothing of the saver's is shown yet, all in one read of the screen.
#include <optional>
#include <vector>

#include "core/raster.h"

namespace win32 {

// The screen's `areas` (the monitors' places on the virtual screen) as they
// are now; nothing when the screen cannot show the user's desktop (the
// saver runs on a desktop of its own) or the copy failed: the boards are
// then cut from the wallpaper.
std::optional<std::vector<Raster>> PhotographDesktop(const std::vector<Rect>& areas);

}  // namespace win32
