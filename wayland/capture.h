#pragma once
// The picture an output shows, through the wlroots screencopy protocol.
#include <optional>

#include "core/orientation.h"
#include "core/raster.h"
#include "wayland/connection.h"

struct wl_output;
struct wl_shm;
struct zwlr_screencopy_manager_v1;

namespace wayland {

// The output's picture at its pixel size, without the pointer, laid as
// `shown` says (the compositor copies the pixels as they go to the output,
// before its turn or mirror); nothing if the compositor refuses, does not
// answer within seconds, or offers only a pixel layout or size this cannot
// read. Throws Stopped.
std::optional<Raster> CaptureOutput(Connection& connection, zwlr_screencopy_manager_v1* manager,
                                    wl_shm* shm, wl_output* output, Orientation shown);

}  // namespace wayland
