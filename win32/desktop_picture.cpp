#include "win32/desktop_picture.h"

#include <windows.h>

#include <cstring>

#include "win32/win32_services.h"

namespace win32 {

std::optional<Raster> PhotographDesktop() {
  // A secure saver runs on a desktop of its own, whose screen shows nothing
  // of the user's: there is nothing to photograph. Names are case-blind.
  const std::string desktop = ThreadDesktopName();
  if (!desktop.empty() && lstrcmpiA(desktop.c_str(), "Default") != 0) return std::nullopt;
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
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
    // One read of the whole screen, so every tile comes from the same
    // moment; CAPTUREBLT includes layered windows, as the user sees them.
    const HDC captureDc = CreateCompatibleDC(screenDc);
    const HGDIOBJ previous = SelectObject(captureDc, section);
    copied = BitBlt(captureDc, 0, 0, width, height, screenDc, 0, 0, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    SelectObject(captureDc, previous);
    DeleteDC(captureDc);
  }
  ReleaseDC(nullptr, screenDc);
  std::optional<Raster> picture;
  if (copied) {
    // A top-down 24-bit DIB is laid out exactly as a Raster: one block.
    picture.emplace(width, height);
    std::memcpy(picture->Row(0), bits, std::size_t(picture->Stride()) * height);
  }
  if (section != nullptr) DeleteObject(section);
  return picture;
}

}  // namespace win32
