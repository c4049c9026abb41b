#pragma once
// Moving pixels between a Raster (24-bit B, G, R rows) and image memory in a
// true-colour layout given by bits per pixel, channel masks and byte order:
// an X image's, or a Wayland buffer's.
#include <cstddef>
#include <cstdint>

#include "core/raster.h"

struct PixelLayout {
  int bitsPerPixel = 32;  // 16, 24 or 32
  std::uint32_t redMask = 0xFF0000, greenMask = 0xFF00, blueMask = 0xFF;
  bool msbFirst = false;  // the image's byte order
};

// False for layouts this file cannot write (not 16, 24 or 32 bits, or a mask
// that leaves a channel out).
bool Supported(const PixelLayout& layout);

// Writes `area` of the raster (clipped to it) into image memory laid out as
// `layout`, whose rows are `bytesPerLine` apart; the area's pixels go to the
// same coordinates in the image.
void WriteImage(const Raster& from, Rect area, const PixelLayout& layout, std::uint8_t* image,
                int bytesPerLine);

// Reads a whole image of the raster's size into it, its first row at
// `image`; a negative `bytesPerLine` reads an image stored bottom-up.
void ReadImage(const std::uint8_t* image, std::ptrdiff_t bytesPerLine, const PixelLayout& layout,
               Raster& into);
