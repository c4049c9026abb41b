#pragma once
// A desktop drawn by code, for running the saver without a screenshot, for
// the board when the screen cannot be seen, and for the product's preview
// picture: a blue sky with a sun and clouds over rolling green hills, and a
// taskbar along the bottom. The same size always gives the same pixels, and
// no pixel is pure black, so the saver's black hole and background never
// blend into the picture.
#include "core/raster.h"

Raster DrawSampleDesktop(int width, int height);

// Height of the taskbar strip at the bottom of a desktop of that height.
int SampleTaskbarHeight(int height);
