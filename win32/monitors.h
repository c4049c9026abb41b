#pragma once
// The monitors as the system lists them now.
#include <vector>

#include "core/raster.h"
#include "win32/board_layout.h"

namespace win32 {

std::vector<MonitorPlace> ListMonitors();
// The virtual screen: every monitor's place within it.
Rect VirtualScreen();

}  // namespace win32
