#pragma once
// The user's desktop as the saver first sees it, one picture per monitor:
// photographed while nothing of the saver's is shown yet, all of it in one
// read of the screen; where the screen cannot show it, the wallpaper as
// Windows lays it out on each monitor.
#include <optional>
#include <vector>

#include "core/raster.h"

namespace win32 {

struct DeskPictures {
  bool wallpaper = false;  // the wallpaper's layouts, not the screen
  // One per monitor's place asked for; nothing where there is no picture
  // (the board then shows the sample desktop).
  std::vector<std::optional<Raster>> pictures;
};
// `areas` are the monitors' places on the virtual screen.
DeskPictures TakeDeskPictures(const std::vector<Rect>& areas);
// The picture of a monitor come since, on the same road as the others'.
std::optional<Raster> TakeMonitorPicture(Rect area, bool wallpaper);

}  // namespace win32
