#pragma once
// A picture file as the Windows Imaging Component decodes it (BMP, JPEG, PNG
// and whatever else the system reads), row by row as B, G, R bytes. The
// calling thread must have COM initialised.
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdint>
#include <vector>

#include "win32/wallpaper_layout.h"

namespace win32 {

class PictureFile {
 public:
  // Throws std::runtime_error when the file is no picture that WIC knows,
  // or one too large to decode in good time (DecodableSize).
  explicit PictureFile(const wchar_t* path);

  Size PictureSize() const { return size_; }
  // `count` pixels of row `y` from column `left` on; throws std::runtime_error
  // when they cannot be decoded. Rows read from top to bottom cost least.
  void ReadRow(int y, int left, int count, std::uint8_t* into);

 private:
  Microsoft::WRL::ComPtr<IWICBitmapSource> pixels_;  // 32-bit BGR
  Size size_;
  std::vector<std::uint8_t> row_;
};

}  // namespace win32
