#include "win32/win32_platform.h"

#include <cstring>
#include <stdexcept>

#include "core/services.h"
#include "win32/win32_services.h"
#include "core/TMForm.h"

namespace {

constexpr UINT_PTR kTimerId = 1;

HWND saverWindow = nullptr;
HDC screenDc = nullptr;
HDC captureDc = nullptr;

// A Raster's memory is a top-down 24-bit DIB: rows of B, G, R, 4-byte aligned.
BITMAPINFO DescribeRaster(const Raster& raster) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = raster.Width();
  info.bmiHeader.biHeight = -raster.Height();
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 8 * Raster::kBytesPerPixel;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

}  // namespace

namespace win32 {

void BindSaverWindow(HWND window) { saverWindow = window; }

}  // namespace win32

namespace platform {

void OpenScreen() {
  screenDc = GetDC(nullptr);
  captureDc = CreateCompatibleDC(screenDc);
}

void CloseScreen() {
  DeleteDC(captureDc);
  ReleaseDC(nullptr, screenDc);
  captureDc = screenDc = nullptr;
}

void CopyScreenRect(int left, int top, Raster& into) {
  if (into.Width() == 0 || into.Height() == 0) return;
  const BITMAPINFO info = DescribeRaster(into);
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(screenDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (section == nullptr) throw std::runtime_error("Cannot make a bitmap to copy the screen into.");
  const HGDIOBJ previous = SelectObject(captureDc, section);
  // CAPTUREBLT includes layered windows, as the user sees them.
  BitBlt(captureDc, 0, 0, into.Width(), into.Height(), screenDc, left, top, SRCCOPY | CAPTUREBLT);
  GdiFlush();
  std::memcpy(into.Row(0), bits, std::size_t(into.Stride()) * into.Height());
  SelectObject(captureDc, previous);
  DeleteObject(section);
}

void PresentFrame(const Raster& frame, const Damage& damage) {
  const HDC dc = GetDC(saverWindow);
  for (const Rect& area : damage) {
    // The damaged rows alone, described as a DIB of their own, so that the
    // source rectangle spans the whole DIB's height and no row-order
    // convention of partial transfers comes into play.
    BITMAPINFO info = DescribeRaster(frame);
    const int height = area.bottom - area.top, width = area.right - area.left;
    info.bmiHeader.biHeight = -height;
    StretchDIBits(dc, area.left, area.top, width, height, area.left, 0, width, height,
                  frame.Row(area.top), &info, DIB_RGB_COLORS, SRCCOPY);
  }
  ReleaseDC(saverWindow, dc);
}

void EnableTimer(bool enabled) {
  if (enabled)
    SetTimer(saverWindow, kTimerId, MForm_unit::kTimerInterval, nullptr);
  else
    KillTimer(saverWindow, kTimerId);
}

int ShowCursor(bool show) { return ::ShowCursor(show ? TRUE : FALSE); }

void CloseSaverWindow() { SendMessageA(saverWindow, WM_CLOSE, 0, 0); }

void ReportFailure(const std::string& message) {
  MessageBoxA(saverWindow, message.c_str(), win32::ApplicationTitle().c_str(),
              MB_OK | MB_ICONERROR);
}

}  // namespace platform
