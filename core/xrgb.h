#pragma once
// A frame's pixels as 32-bit XRGB words (0x00RRGGBB, the pad byte 0): what
// nearly every X server's TrueColor visual holds and what Wayland's
// XRGB8888 buffers hold. One conversion for every binding that needs it.
#include <cstdint>

#include "core/raster.h"

// The order of a word's bytes in memory: little-endian is B, G, R, pad.
enum class WordOrder { kLittleEndian, kBigEndian };

// Writes `area` of the raster (clipped to it) into memory whose rows are
// `stride` bytes apart and whose first word holds pixel (originX, originY):
// pixel (x, y) goes to the word at (y - originY) * stride + 4 * (x - originX).
void WriteXrgb(const Raster& from, Rect area, std::uint8_t* pixels, int stride, WordOrder order,
               int originX = 0, int originY = 0);
