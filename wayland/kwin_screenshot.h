#pragma once
// The picture an output shows, through KWin's screenshot interface on the
// session bus: KWin offers no screencopy.
#include <optional>
#include <string>

#include "core/raster.h"

namespace wayland {

// The picture of the output of that name (wl_output's) at its pixel size;
// nothing where there is no session bus or no KWin on it, KWin refuses (said
// on stderr: KWin lets only a program its desktop file names take it), does
// not answer within seconds, a byte arrives on `signalFd`, or sends pixels
// in a layout or size this cannot read.
std::optional<Raster> CaptureScreen(const std::string& outputName, int signalFd);

}  // namespace wayland
