#include "core/xrgb.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/core/test_support.h"

namespace {

// Three different channels in every pixel, no two pixels alike.
Raster Picture(int width, int height) {
  Raster picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture.SetPixel(x, y, Rgb(1 + 5 * x, 100 + 50 * y, 250 - 3 * x));
  return picture;
}

// Every width from 1 to 40 at every offset from 0 to 4, in both byte orders,
// against the word written byte by byte; what lies outside the area stays.
TEST(Xrgb, EachPixelBecomesOneWordInEitherByteOrder) {
  constexpr int kWidth = 48, kHeight = 3, kStride = kWidth * 4 + 8;
  const Raster frame = Picture(kWidth, kHeight);
  ForEachPixelPath([&] {
    for (const WordOrder order : {WordOrder::kLittleEndian, WordOrder::kBigEndian}) {
      for (int left = 0; left <= 4; ++left) {
        for (int width = 1; width <= 40; ++width) {
          std::vector<std::uint8_t> image(std::size_t(kStride) * kHeight, 0xEE);
          const Rect area{left, 1, left + width, 3};
          WriteXrgb(frame, area, image.data(), kStride, order);
          for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
              const std::uint8_t* word = image.data() + y * kStride + 4 * x;
              const Color c = frame.Pixel(x, y);
              const bool inside = x >= area.left && x < area.right && y >= area.top;
              const std::vector<std::uint8_t> expected =
                  !inside ? std::vector<std::uint8_t>{0xEE, 0xEE, 0xEE, 0xEE}
                  : order == WordOrder::kLittleEndian
                      ? std::vector<std::uint8_t>{std::uint8_t(BlueOf(c)), std::uint8_t(GreenOf(c)),
                                                  std::uint8_t(RedOf(c)), 0}
                      : std::vector<std::uint8_t>{0, std::uint8_t(RedOf(c)), std::uint8_t(GreenOf(c)),
                                                  std::uint8_t(BlueOf(c))};
              ASSERT_EQ(std::vector<std::uint8_t>(word, word + 4), expected)
                  << "width " << width << " from " << left << ", pixel " << x << "," << y;
            }
        }
      }
    }
  });
}

TEST(Xrgb, AnAreaPastTheFrameIsClippedToIt) {
  const Raster frame = Picture(6, 2);
  std::vector<std::uint8_t> image(6 * 4 * 2, 0xEE);
  WriteXrgb(frame, {-3, -1, 9, 1}, image.data(), 6 * 4, WordOrder::kLittleEndian);
  EXPECT_EQ(image[4 * 5], BlueOf(frame.Pixel(5, 0)));
  EXPECT_EQ(image[6 * 4], 0xEE);  // row 1 lies outside the area
}

TEST(Xrgb, ABufferOfTheAreasOwnSizeHoldsItFromItsFirstWord) {
  const Raster frame = Picture(10, 6);
  constexpr int kStride = 3 * 4;
  std::vector<std::uint8_t> band(kStride * 2, 0xEE);
  WriteXrgb(frame, {4, 3, 7, 5}, band.data(), kStride, WordOrder::kLittleEndian, 4, 3);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(band[std::size_t(y * kStride + 4 * x)], BlueOf(frame.Pixel(4 + x, 3 + y)));
}

}  // namespace
