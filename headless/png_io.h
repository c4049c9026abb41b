#pragma once
// PNG files to and from Raster. Reading takes 8-bit or 16-bit RGB, RGBA, grey
// (with or without alpha) and palette images; alpha is dropped, not blended.
// Writing makes 8-bit RGB. Failures throw PngError with a one-line reason.
#include <cstdio>
#include <stdexcept>
#include <string>

#include "core/raster.h"
#include "headless/screen_limit.h"

class PngError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Pictures wider or taller than maxSide are refused before their pixels are read.
Raster ReadPng(const std::string& path, int maxSide = kMaxScreenSide);
// The same from an open file, read from its current position; `name` is what
// the messages call it.
Raster ReadPng(std::FILE* file, const std::string& name, int maxSide = kMaxScreenSide);
void WritePng(const std::string& path, const Raster& picture);
