#pragma once
// The eight ways a picture can lie: turned by quarter turns, each with or
// without a mirror image. A screen that is turned or mirrored shows its
// pixels so; a photograph of its pixels must be laid back the same way to
// look as the screen looks to whoever faces it.
#include "core/raster.h"

// Turns are counter-clockwise; a flipped orientation is mirrored left to
// right first and then turned. The numbers are the usual ones (0 to 7).
enum class Orientation : int {
  kNormal, k90, k180, k270, kFlipped, kFlipped90, kFlipped180, kFlipped270,
};

// The orientation that undoes `o`.
Orientation Inverse(Orientation o);

// The picture laid as `o` says: a quarter turn swaps its width and height.
Raster Reoriented(const Raster& picture, Orientation o);
