#include "headless/png_io.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "largest_allocation.h"
#include "scratch_dir.h"

namespace {

constexpr int kW = 9, kH = 7;  // 63 pixels fit one palette

Color Colorful(int x, int y) { return Rgb(x * 29 + 3, y * 37 + 5, (x + y) * 17 + 1); }
Color Grey(int x, int y) { const int g = (x * 29 + y * 7) % 256; return Rgb(g, g, g); }

struct Format {
  const char* name;
  int colorType, bitDepth;
  Color (*picture)(int x, int y);  // what the reader must return
  friend void PrintTo(const Format& format, std::ostream* os) { *os << format.name; }
};

// The samples of pixel (x, y) in `format`, derived from the expected picture;
// alpha varies so that a reader using it shows.
std::vector<int> Samples(const Format& f, int x, int y) {
  const Color c = f.picture(x, y);
  const int alpha = (x * 51 + y * 13) % 256;
  switch (f.colorType) {
    case PNG_COLOR_TYPE_RGB: return {RedOf(c), GreenOf(c), BlueOf(c)};
    case PNG_COLOR_TYPE_RGBA: return {RedOf(c), GreenOf(c), BlueOf(c), alpha};
    case PNG_COLOR_TYPE_GRAY: return {RedOf(c)};
    case PNG_COLOR_TYPE_GRAY_ALPHA: return {RedOf(c), alpha};
    default: return {y * kW + x};  // palette index
  }
}

// Writes `format` with raw libpng. The low byte of 16-bit samples is noise.
void WriteFixture(const std::string& path, const Format& f) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  png_set_IHDR(png, info, kW, kH, f.bitDepth, f.colorType,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> palette;
  std::vector<png_byte> alphas;
  for (int i = 0; f.colorType == PNG_COLOR_TYPE_PALETTE && i < kW * kH; ++i) {
    const Color c = f.picture(i % kW, i / kW);
    palette.push_back({png_byte(RedOf(c)), png_byte(GreenOf(c)), png_byte(BlueOf(c))});
    alphas.push_back(png_byte(i * 4));
  }
  if (!palette.empty()) {
    png_set_PLTE(png, info, palette.data(), int(palette.size()));
    png_set_tRNS(png, info, alphas.data(), int(alphas.size()), nullptr);
  }
  png_write_info(png, info);

  std::vector<std::vector<png_byte>> rows(kH, std::vector<png_byte>(kW * 8));
  std::vector<png_bytep> pointers;
  for (int y = 0; y < kH; ++y) {
    png_byte* at = rows[y].data();
    for (int x = 0; x < kW; ++x)
      for (int sample : Samples(f, x, y)) {
        *at++ = png_byte(sample);
        if (f.bitDepth == 16) *at++ = png_byte(sample * 7 + 1);
      }
    pointers.push_back(rows[y].data());
  }
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
}

class PngReadTest : public ScratchDirTest, public testing::WithParamInterface<Format> {};

TEST_P(PngReadTest, GivesTheColoursAndIgnoresAlpha) {
  const Format& format = GetParam();
  WriteFixture(Path("in.png"), format);
  const Raster picture = ReadPng(Path("in.png"));
  ASSERT_EQ(picture.Width(), kW);
  ASSERT_EQ(picture.Height(), kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      ASSERT_EQ(picture.Pixel(x, y), format.picture(x, y)) << "at " << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, PngReadTest,
    testing::Values(Format{"Rgb8", PNG_COLOR_TYPE_RGB, 8, Colorful},
                    Format{"Rgba8", PNG_COLOR_TYPE_RGBA, 8, Colorful},
                    Format{"Rgb16", PNG_COLOR_TYPE_RGB, 16, Colorful},
                    Format{"Grey8", PNG_COLOR_TYPE_GRAY, 8, Grey},
                    Format{"GreyAlpha8", PNG_COLOR_TYPE_GRAY_ALPHA, 8, Grey},
                    Format{"PaletteWithTransparency", PNG_COLOR_TYPE_PALETTE, 8, Colorful}),
    [](const auto& info) { return std::string(info.param.name); });

class PngIoTest : public ScratchDirTest {};

TEST_F(PngIoTest, WritesEightBitRgbThatReadsBackExactly) {
  Raster picture(300, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 300; ++x) picture.SetPixel(x, y, Rgb(x, x * 3 + y, 255 - x));
  WritePng(Path("out.png"), picture);
  EXPECT_EQ(ReadPng(Path("out.png")), picture);

  std::ifstream file(Path("out.png"), std::ios::binary);
  char header[26] = {};
  file.read(header, sizeof header);
  EXPECT_EQ(header[24], 8) << "bit depth";
  EXPECT_EQ(header[25], PNG_COLOR_TYPE_RGB) << "colour type";
}

TEST_F(PngIoTest, RefusesBadFilesWithAReason) {
  std::ofstream(Path("text.png")) << "hello, not a picture\n";
  Raster noise(64, 64);
  for (int i = 0; i < 64 * 64; ++i) noise.SetPixel(i % 64, i / 64, Color(i * 2654435761u) & 0xFFFFFF);
  WritePng(Path("whole.png"), noise);
  std::filesystem::copy_file(Path("whole.png"), Path("cut.png"));
  std::filesystem::resize_file(Path("cut.png"), std::filesystem::file_size(Path("whole.png")) / 2);

  const struct {
    std::string file;
    int maxSide;
    std::string reason;
  } cases[] = {
      {"missing.png", 100, "cannot open"},
      {"text.png", 100, "not a PNG file"},
      {"cut.png", 100, "damaged PNG file"},
  };
  for (const auto& c : cases) {
    try {
      ReadPng(Path(c.file), c.maxSide);
      ADD_FAILURE() << c.file << " was read";
    } catch (const PngError& error) {
      EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos) << error.what();
      EXPECT_NE(std::string(error.what()).find(c.file), std::string::npos) << error.what();
    }
  }
}

// The limit holds on each side alone, at the renderer's real bound: a line of
// 16385 pixels is refused lying or standing, one of 16384 is read.
TEST_F(PngIoTest, RefusesAPictureTooLargeInEitherDimension) {
  constexpr int kLimit = 16384;
  const struct {
    int width, height;
    bool read;
  } cases[] = {
      {kLimit + 1, 1, false}, {1, kLimit + 1, false}, {kLimit + 1, 2, false},
      {kLimit, 1, true},      {1, kLimit, true},      {1, 1, true},
  };
  for (const auto& c : cases) {
    const std::string size = std::to_string(c.width) + "x" + std::to_string(c.height);
    Raster line(c.width, c.height);
    line.SetPixel(c.width - 1, c.height - 1, Rgb(1, 2, 3));
    WritePng(Path(size + ".png"), line);
    try {
      EXPECT_EQ(ReadPng(Path(size + ".png")), line) << size;
      EXPECT_TRUE(c.read) << size << " was read";
    } catch (const PngError& error) {
      EXPECT_FALSE(c.read) << error.what();
      EXPECT_NE(std::string(error.what()).find("too large: " + size), std::string::npos)
          << error.what();
    }
  }
}

// A few dozen bytes whose header claims 16384 x 16384 pixels (800 MB as a
// picture) are refused as damaged before any of that memory is taken.
TEST_F(PngIoTest, AHeaderClaimingMoreThanTheFileCanHoldCostsNoMemory) {
  WritePng(Path("small.png"), Raster(1, 1));
  std::vector<unsigned char> bytes(std::filesystem::file_size(Path("small.png")));
  std::ifstream(Path("small.png"), std::ios::binary)
      .read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
  // IHDR: width and height big-endian at 16 and 20, the chunk's CRC at 29.
  for (const int at : {16, 20}) bytes[at + 2] = 0x40, bytes[at + 3] = 0;
  const uLong crc = crc32(0, bytes.data() + 12, 17);
  for (int i = 0; i < 4; ++i) bytes[29 + i] = static_cast<unsigned char>(crc >> (24 - 8 * i));
  std::ofstream(Path("claims.png"), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));

  largestAllocation = 0;
  try {
    ReadPng(Path("claims.png"), 16384);
    ADD_FAILURE() << "read";
  } catch (const PngError& error) {
    EXPECT_NE(std::string(error.what()).find("damaged PNG file"), std::string::npos) << error.what();
    EXPECT_NE(std::string(error.what()).find("16384x16384"), std::string::npos) << error.what();
  }
  EXPECT_LT(largestAllocation.load(), std::size_t(1) << 20);
}

}  // namespace
