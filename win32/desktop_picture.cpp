#include "win32/desktop_picture.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "win32/win32_services.h"

namespace win32 {

std::optional<std::vector<Raster>> PhotographDesktop(const std::vector<Rect>& areas) {
  // A secure saver runs on a desktop of its own, whose screen shows nothing
  // of the user's: there is nothing to photograph. Names are case-blind.
  const std::string desktop = ThreadDesktopName();
  if (!desktop.empty() && lstrcmpiA(desktop.c_str(), "Default") != 0) return std::nullopt;
  if (areas.empty()) return std::vector<Raster>();
  Rect all = areas.front();
  for (const Rect& area : areas)
    all = {std::min(all.left, area.left), std::min(all.top, area.top),
           std::max(all.right, area.right), std::max(all.bottom, area.bottom)};
  const int width = int(all.Width()), height = int(all.Height());
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 8 * Raster::kBytesPerPixel;
  info.bmiHeader.biCompression = BI_RGB;
  const HDC screenDc = GetDC(nullptr);
  void* bits = nullptr;
  const HBITMAP section = CreateDIBSection(screenDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool copied = false;
  if (section != nullptr) {
    // One read of every monitor, so every tile comes from the same moment;
    // CAPTUREBLT includes layered windows, as the user sees them.
    const HDC captureDc = CreateCompatibleDC(screenDc);
    const HGDIOBJ previous = SelectObject(captureDc, section);
    copied = BitBlt(captureDc, 0, 0, width, height, screenDc, all.left, all.top, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    SelectObject(captureDc, previous);
    DeleteDC(captureDc);
  }
  ReleaseDC(nullptr, screenDc);
  std::optional<std::vector<Raster>> pictures;
  if (copied) {
    // A top-down 24-bit DIB's rows are laid out as a Raster's.
    const std::size_t stride = (std::size_t(width) * Raster::kBytesPerPixel + 3) & ~std::size_t(3);
    pictures.emplace();
    for (const Rect& area : areas) {
      Raster& picture = pictures->emplace_back(int(area.Width()), int(area.Height()));
      const auto* corner = static_cast<const std::uint8_t*>(bits) +
                           std::size_t(area.top - all.top) * stride +
                           std::size_t(area.left - all.left) * Raster::kBytesPerPixel;
      for (int y = 0; y < picture.Height(); ++y)
        std::memcpy(picture.Row(y), corner + y * stride,
                    std::size_t(picture.Width()) * Raster::kBytesPerPixel);
    }
  }
  if (section != nullptr) DeleteObject(section);
  return pictures;
}

}  // namespace win32
