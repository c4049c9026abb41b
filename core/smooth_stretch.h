#pragma once
// Smooth scaling onto a Raster, in integer arithmetic so that every platform
// gets the same pixels: a shrunk picture averages the source area under each
// pixel, an enlarged one interpolates linearly between the nearest source
// pixels, and a picture drawn at its own size is copied unchanged.
#include <cstdint>
#include <functional>

#include "core/raster.h"

// Fills `into` with `count` pixels of source row `y`, from column `left` on,
// as B, G, R bytes.
using PictureRows = std::function<void(int y, int left, int count, std::uint8_t* into)>;

// Draws a `width` x `height` picture scaled onto `area` of `target`, clipped
// to the target's clip. Asks for the rows it needs from top to bottom, each
// once, and for no more columns than it needs.
void SmoothStretch(Raster& target, Rect area, int width, int height, const PictureRows& rows);
void SmoothStretch(Raster& target, Rect area, const Raster& source);
