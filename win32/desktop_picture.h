#pragma once
// The user's desktop as the saver first sees it: photographed from the
// primary screen while nothing of the saver's is shown yet.
#include <optional>

#include "core/raster.h"

namespace win32 {

// The primary screen as it is now; empty when it cannot show the user's
// desktop (the saver runs on a desktop of its own) or the copy failed.
std::optional<Raster> PhotographDesktop();

}  // namespace win32
