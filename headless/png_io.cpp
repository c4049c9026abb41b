#include "headless/png_io.h"

#include <png.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

// libpng reports errors by longjmp. The functions that call setjmp hold only
// trivially destructible locals, so the jump never skips a destructor; the
// objects that own memory live in their callers.

namespace {

struct Failure {
  char message[200] = "";
};

[[noreturn]] void OnError(png_structp png, png_const_charp message) {
  auto* failure = static_cast<Failure*>(png_get_error_ptr(png));
  std::snprintf(failure->message, sizeof failure->message, "%s", message);
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}  // a readable picture is good enough

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File Open(const std::string& path, const char* mode, const char* verb) {
  File file(std::fopen(path.c_str(), mode));
  if (!file)
    throw PngError(std::string("cannot ") + verb + " \"" + path + "\": " + std::strerror(errno));
  return file;
}

struct ReadStructs {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~ReadStructs() { png_destroy_read_struct(&png, &info, nullptr); }
};

struct WriteStructs {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~WriteStructs() { png_destroy_write_struct(&png, &info); }
};

// Deflate puts at most 1032 bytes into one, so a file holds at most that many
// times its own size in pixel data.
constexpr std::uint64_t kMostDeflateRatio = 1032;

// Bytes from the file's position to its end; nothing for a stream that
// cannot seek.
std::optional<std::uint64_t> BytesLeft(std::FILE* file) {
  const long here = std::ftell(file);
  if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return std::nullopt;
  const long end = std::ftell(file);
  if (std::fseek(file, here, SEEK_SET) != 0 || end < here) return std::nullopt;
  return std::uint64_t(end - here);
}

struct Header {
  png_uint_32 width = 0, height = 0;
  std::uint64_t leastPixelBytes = 0;  // the picture's samples, packed without a gap
};

// Reads the header, sets the transforms that turn any input into 8-bit rows
// of B, G, R (a Raster's own order), and returns false on a libpng error.
bool ReadHeader(png_structp png, png_infop info, std::FILE* file, Header& header) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  png_set_sig_bytes(png, 8);
  png_read_info(png, info);
  header.width = png_get_image_width(png, info);
  header.height = png_get_image_height(png, info);
  const std::uint64_t bits = std::uint64_t(header.width) * header.height *
                             png_get_channels(png, info) * png_get_bit_depth(png, info);
  header.leastPixelBytes = (bits + 7) / 8;
  const int colorType = png_get_color_type(png, info);
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
    png_set_expand_gray_1_2_4_to_8(png);
    png_set_gray_to_rgb(png);
  }
  png_set_strip_16(png);
  png_set_strip_alpha(png);  // also drops the alpha that a tRNS chunk would add
  png_set_bgr(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  return true;
}

bool ReadRows(png_structp png, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_image(png, rows);
  png_read_end(png, nullptr);
  return true;
}

bool WriteRows(png_structp png, png_infop info, std::FILE* file, png_uint_32 width,
               png_uint_32 height, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_bgr(png);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  return true;
}

// libpng reads into the raster's rows and writes from them in place; it
// never writes to the rows it is given to write.
std::vector<png_bytep> RowPointers(const Raster& picture) {
  static_assert(Raster::kBytesPerPixel == 3, "rows of 8-bit B, G, R");
  std::vector<png_bytep> rows(std::size_t(picture.Height()));
  for (int y = 0; y < picture.Height(); ++y) rows[y] = const_cast<png_bytep>(picture.Row(y));
  return rows;
}

}  // namespace

Raster ReadPng(const std::string& path, int maxSide) {
  File file = Open(path, "rb", "open");
  return ReadPng(file.get(), path, maxSide);
}

Raster ReadPng(std::FILE* file, const std::string& path, int maxSide) {
  const std::optional<std::uint64_t> fileBytes = BytesLeft(file);
  png_byte signature[8] = {};
  if (std::fread(signature, 1, 8, file) != 8 || png_sig_cmp(signature, 0, 8) != 0)
    throw PngError("not a PNG file: \"" + path + "\"");

  Failure failure;
  ReadStructs structs;
  structs.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &failure, OnError, OnWarning);
  if (structs.png) structs.info = png_create_info_struct(structs.png);
  if (!structs.info) throw PngError("out of memory reading \"" + path + "\"");
  const auto damaged = [&] {
    return PngError("damaged PNG file: \"" + path + "\" (" + failure.message + ")");
  };

  Header header;
  if (!ReadHeader(structs.png, structs.info, file, header)) throw damaged();
  const png_uint_32 width = header.width, height = header.height;
  if (width > png_uint_32(maxSide) || height > png_uint_32(maxSide))
    throw PngError("picture too large: " + std::to_string(width) + "x" + std::to_string(height) +
                   " (at most " + std::to_string(maxSide) + " on each side): \"" + path + "\"");
  if (png_get_rowbytes(structs.png, structs.info) != std::size_t(width) * 3)
    throw PngError("unsupported pixel layout: \"" + path + "\"");

  // A header may claim far more than the file holds: found out before the
  // picture's memory is taken.
  if (fileBytes && header.leastPixelBytes > kMostDeflateRatio * *fileBytes)
    throw PngError("damaged PNG file: \"" + path + "\" (" + std::to_string(width) + "x" +
                   std::to_string(height) + " pixels cannot fit in " + std::to_string(*fileBytes) +
                   " bytes)");

  Raster picture(static_cast<int>(width), static_cast<int>(height));
  std::vector<png_bytep> rows = RowPointers(picture);
  if (!ReadRows(structs.png, rows.data())) throw damaged();
  return picture;
}

void WritePng(const std::string& path, const Raster& picture) {
  const auto width = png_uint_32(picture.Width()), height = png_uint_32(picture.Height());
  std::vector<png_bytep> rows = RowPointers(picture);
  File file = Open(path, "wb", "create");
  Failure failure;
  WriteStructs structs;
  structs.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, OnError, OnWarning);
  if (structs.png) structs.info = png_create_info_struct(structs.png);
  if (!structs.info) throw PngError("out of memory writing \"" + path + "\"");
  if (!WriteRows(structs.png, structs.info, file.get(), width, height, rows.data()))
    throw PngError("cannot write \"" + path + "\": " + failure.message);
  if (std::fclose(file.release()) != 0)
    throw PngError("cannot write \"" + path + "\": " + std::strerror(errno));
}
