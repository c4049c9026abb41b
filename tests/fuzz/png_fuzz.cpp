// The PNG reader on any bytes. The first byte sets the size limit (1..256 on
// each side, so that a header may claim more than it is allowed), the rest is
// the file. A picture comes back within the limit, or PngError says why not.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "headless/png_io.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const int maxSide = 1 + data[0];
  // fmemopen refuses an empty buffer; a one-byte file is just as unreadable.
  static const std::uint8_t kEmpty[1] = {0};
  const bool empty = size == 1;
  std::FILE* file = fmemopen(const_cast<std::uint8_t*>(empty ? kEmpty : data + 1),
                             empty ? 1 : size - 1, "rb");
  if (!file) std::abort();
  try {
    const Raster picture = ReadPng(file, "fuzz.png", maxSide);
    if (picture.Width() < 1 || picture.Width() > maxSide || picture.Height() < 1 ||
        picture.Height() > maxSide)
      std::abort();
  } catch (const PngError&) {
  }
  std::fclose(file);
  return 0;
}
