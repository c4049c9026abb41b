#include "win32/picture_file.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <stdexcept>

namespace win32 {

namespace {

void Check(HRESULT result) {
  if (FAILED(result)) throw std::runtime_error("the picture cannot be decoded");
}

}  // namespace

PictureFile::PictureFile(const wchar_t* path) {
  using Microsoft::WRL::ComPtr;
  ComPtr<IWICImagingFactory> factory;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICFormatConverter> converter;
  // The first version of the factory: every Windows with WIC has it.
  Check(CoCreateInstance(CLSID_WICImagingFactory1, nullptr, CLSCTX_INPROC_SERVER,
                         IID_PPV_ARGS(&factory)));
  Check(factory->CreateDecoderFromFilename(path, nullptr, GENERIC_READ,
                                           WICDecodeMetadataCacheOnDemand, &decoder));
  Check(decoder->GetFrame(0, &frame));
  UINT width = 0, height = 0;
  Check(frame->GetSize(&width, &height));
  size_ = {int(std::min<UINT>(width, INT_MAX)), int(std::min<UINT>(height, INT_MAX))};
  if (!DecodableSize(size_)) throw std::runtime_error("the picture is too large");
  // Four bytes a pixel, which every format converts to: Wine's converter
  // turns a 16-bit PNG or a grey JPEG into 32-bit BGR, but not into 24-bit.
  Check(factory->CreateFormatConverter(&converter));
  Check(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone,
                              nullptr, 0.0, WICBitmapPaletteTypeCustom));
  pixels_ = converter;
}

void PictureFile::ReadRow(int y, int left, int count, std::uint8_t* into) {
  row_.resize(std::size_t(count) * 4);
  const WICRect rect{left, y, count, 1};
  Check(pixels_->CopyPixels(&rect, UINT(row_.size()), UINT(row_.size()), row_.data()));
  for (int x = 0; x < count; ++x) std::memcpy(into + 3 * x, &row_[4 * std::size_t(x)], 3);
}

}  // namespace win32
