#include "win32/win32_platform.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "core/services.h"
#include "win32/win32_services.h"
#include "core/TMForm.h"

namespace {

constexpr UINT_PTR kTimerId = 1;

HWND saverWindow = nullptr;
HDC windowDc = nullptr;  // the class's own DC (CS_OWNDC), valid while the window lives
bool timerEnabled = false;

// The screen as it was when opened: one 24-bit top-down DIB section.
struct ScreenPicture {
  HBITMAP section = nullptr;
  const unsigned char* bits = nullptr;
  int width = 0, height = 0, stride = 0;
};
ScreenPicture screen;

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

void BindSaverWindow(HWND window) {
  saverWindow = window;
  windowDc = window != nullptr ? GetDC(window) : nullptr;
}

bool TimerTickWanted() {
  if (!timerEnabled) KillTimer(saverWindow, kTimerId);
  return timerEnabled;
}

}  // namespace win32

namespace platform {

bool OpenScreen() {
  CloseScreen();
  // A secure saver runs on a desktop of its own, whose screen shows nothing
  // of the user's: there is nothing to photograph. Names are case-blind.
  const std::string desktop = win32::ThreadDesktopName();
  if (!desktop.empty() && lstrcmpiA(desktop.c_str(), "Default") != 0) return false;
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  const HDC screenDc = GetDC(nullptr);
  void* bits = nullptr;
  const HBITMAP section = CreateDIBSection(screenDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (section == nullptr) {
    ReleaseDC(nullptr, screenDc);
    throw std::runtime_error("Cannot make a bitmap to copy the screen into.");
  }
  // One read of the whole screen, so every tile comes from the same moment;
  // CAPTUREBLT includes layered windows, as the user sees them.
  const HDC captureDc = CreateCompatibleDC(screenDc);
  const HGDIOBJ previous = SelectObject(captureDc, section);
  const bool copied = BitBlt(captureDc, 0, 0, width, height, screenDc, 0, 0, SRCCOPY | CAPTUREBLT);
  GdiFlush();
  SelectObject(captureDc, previous);
  DeleteDC(captureDc);
  ReleaseDC(nullptr, screenDc);
  screen = {section, static_cast<const unsigned char*>(bits), width, height,
            (width * 3 + 3) & ~3};
  if (!copied) CloseScreen();
  return copied;
}

void CloseScreen() {
  if (screen.section != nullptr) DeleteObject(screen.section);
  screen = {};
}

void CopyScreenRect(int left, int top, Raster& into) {
  static_assert(Raster::kBytesPerPixel == 3, "tiles are sliced from a 24-bit picture");
  // Clipped to the picture; whatever lies outside stays as it was.
  const int x0 = std::max(left, 0), x1 = std::min(left + into.Width(), screen.width);
  const int y0 = std::max(top, 0), y1 = std::min(top + into.Height(), screen.height);
  if (screen.bits == nullptr || x1 <= x0 || y1 <= y0) return;
  for (int y = y0; y < y1; ++y)
    std::memcpy(into.Row(y - top) + 3 * (x0 - left),
                screen.bits + std::size_t(y) * screen.stride + 3 * x0, std::size_t(x1 - x0) * 3);
}

void PresentFrame(const Raster& frame, const Damage& damage) {
  const HDC dc = windowDc;
  for (const Rect& area : damage) {
    // The damaged rows alone, described as a DIB of their own, so that the
    // source rectangle spans the whole DIB's height and no row-order
    // convention of partial transfers comes into play. 1:1, so no stretch.
    BITMAPINFO info = DescribeRaster(frame);
    const int height = area.bottom - area.top, width = area.right - area.left;
    info.bmiHeader.biHeight = -height;
    SetDIBitsToDevice(dc, area.left, area.top, DWORD(width), DWORD(height), area.left, 0, 0,
                      UINT(height), frame.Row(area.top), &info, DIB_RGB_COLORS);
  }
}

// Every tick disables the timer and enables it again, and SetTimer on a
// running timer restarts its interval: so a disabled timer is only killed if
// a tick of it still arrives (TimerTickWanted), one call less per tick.
void EnableTimer(bool enabled) {
  timerEnabled = enabled;
  if (enabled) SetTimer(saverWindow, kTimerId, MForm_unit::kTimerInterval, nullptr);
}

int ShowCursor(bool show) { return ::ShowCursor(show ? TRUE : FALSE); }

void CloseSaverWindow() { SendMessageA(saverWindow, WM_CLOSE, 0, 0); }

void ReportFailure(const std::string& message) {
  MessageBoxA(saverWindow, message.c_str(), win32::ApplicationTitle().c_str(),
              MB_OK | MB_ICONERROR);
}

}  // namespace platform
