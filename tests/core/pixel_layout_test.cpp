#include "core/pixel_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

Raster Sample() {
  Raster r(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) r.SetPixel(x, y, Rgb(40 * x + 10, 100 + 50 * y, 255 - 30 * x));
  return r;
}

struct Case {
  const char* name;
  PixelLayout layout;
  bool exact;  // the layout holds 8 bits a channel
};

const Case kCases[] = {
    {"xrgb32", {32, 0xFF0000, 0xFF00, 0xFF, false}, true},
    {"xrgb32 msb", {32, 0xFF0000, 0xFF00, 0xFF, true}, true},
    {"xbgr32", {32, 0xFF, 0xFF00, 0xFF0000, false}, true},
    {"rgb24", {24, 0xFF0000, 0xFF00, 0xFF, false}, true},
    {"rgb565", {16, 0xF800, 0x07E0, 0x001F, false}, false},
};

TEST(PixelLayout, XrgbBytesAreTheRasterBytesPlusAPad) {
  const Raster r = Sample();
  std::vector<std::uint8_t> image(5 * 4 * 3, 0xAA);
  WriteImage(r, {0, 0, 5, 3}, kCases[0].layout, image.data(), 20);
  EXPECT_EQ(image[0], 255);  // blue of (0, 0)
  EXPECT_EQ(image[1], 100);
  EXPECT_EQ(image[2], 10);
  EXPECT_EQ(image[3], 0);
  const std::size_t last = (2 * 5 + 4) * 4;
  EXPECT_EQ(image[last + 2], 170);  // red of (4, 2)
  EXPECT_EQ(image[last + 1], 200);
}

TEST(PixelLayout, MsbFirstPutsTheRedByteSecond) {
  const Raster r = Sample();
  std::vector<std::uint8_t> image(5 * 4 * 3);
  WriteImage(r, {0, 0, 1, 1}, kCases[1].layout, image.data(), 20);
  EXPECT_EQ((std::vector<std::uint8_t>(image.begin(), image.begin() + 4)),
            (std::vector<std::uint8_t>{0, 10, 100, 255}));
}

TEST(PixelLayout, EveryLayoutReadsBackWhatWasWritten) {
  const Raster r = Sample();
  for (const Case& c : kCases) {
    const int bytesPerLine = 5 * c.layout.bitsPerPixel / 8 + 4;
    std::vector<std::uint8_t> image(std::size_t(bytesPerLine) * 3);
    WriteImage(r, {0, 0, 5, 3}, c.layout, image.data(), bytesPerLine);
    // Read as stored, and read bottom-up from its last row: upside down.
    Raster back(5, 3), flipped(5, 3);
    ReadImage(image.data(), bytesPerLine, c.layout, back);
    ReadImage(image.data() + 2 * bytesPerLine, -bytesPerLine, c.layout, flipped);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) {
        const Color want = r.Pixel(x, y);
        for (const Color got : {back.Pixel(x, y), flipped.Pixel(x, 2 - y)}) {
          const int tolerance = c.exact ? 0 : 8;  // 5 or 6 bits a channel
          EXPECT_NEAR(RedOf(got), RedOf(want), tolerance) << c.name;
          EXPECT_NEAR(GreenOf(got), GreenOf(want), tolerance) << c.name;
          EXPECT_NEAR(BlueOf(got), BlueOf(want), tolerance) << c.name;
        }
      }
  }
}

TEST(PixelLayout, OnlyTheAreaIsWrittenAndItIsClipped) {
  const Raster r = Sample();
  std::vector<std::uint8_t> image(5 * 4 * 3, 0xAA);
  WriteImage(r, {3, 1, 9, 9}, kCases[0].layout, image.data(), 20);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      const bool inside = x >= 3 && y >= 1;
      EXPECT_EQ(image[std::size_t(y * 20 + x * 4)] == 0xAA, !inside) << x << "," << y;
    }
}

TEST(PixelLayout, FullScaleStaysFullScaleInFewerBits) {
  Raster white(1, 1);
  white.SetPixel(0, 0, Rgb(255, 255, 255));
  std::vector<std::uint8_t> image(2);
  WriteImage(white, {0, 0, 1, 1}, kCases[4].layout, image.data(), 2);
  EXPECT_EQ(image[0], 0xFF);
  EXPECT_EQ(image[1], 0xFF);
  Raster back(1, 1);
  ReadImage(image.data(), 2, kCases[4].layout, back);
  EXPECT_EQ(back.Pixel(0, 0), Rgb(255, 255, 255));
}

TEST(PixelLayout, UnsupportedLayoutsAreRefused) {
  EXPECT_FALSE(Supported({8, 0xE0, 0x1C, 0x03, false}));
  EXPECT_FALSE(Supported({32, 0xFF0000, 0, 0xFF, false}));
  for (const Case& c : kCases) EXPECT_TRUE(Supported(c.layout)) << c.name;
}

}  // namespace
