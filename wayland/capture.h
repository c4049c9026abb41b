#pragma once
// The picture an output shows, through the wlroots screencopy protocol.
#include <cstdint>
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

// Rows of 32-bit pixels `stride` bytes apart, each B, G, R (or, where
// `redFirst`, R, G, B) and a byte that is dropped, the last row first where
// `yInverted`: as a picture.
Raster PictureOf32(const std::uint8_t* pixels, int width, int height, int stride, bool redFirst,
                   bool yInverted);

}  // namespace wayland
