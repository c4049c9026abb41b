#include "win32/win32_platform.h"

#include <optional>
#include <vector>

#include "core/services.h"
#include "win32/win32_services.h"
#include "core/MForm_unit.h"
#include "core/TMForm.h"
#include "core/screen_picture.h"
#include "core/xrgb.h"
#include "win32/desktop_picture.h"
#include "win32/wallpaper.h"

namespace {

constexpr UINT_PTR kTimerId = 1;

HWND saverWindow = nullptr;
HDC windowDc = nullptr;  // the class's own DC (CS_OWNDC), valid while the window lives
bool timerEnabled = false;

// The desktop as the saver first saw it (or the wallpaper, where the screen
// did not show it), taken at the first board and kept for the life of the
// process: after a display change the board is cut from it again, never
// from a capture of the saver itself.
ScreenPicture screen;
bool desktopTaken = false;
// Where that was the wallpaper, the screen's size it was laid out for: a
// display change lays it out again, as Windows does (a centred or tiled
// picture keeps its own size on a larger screen).
std::optional<SIZE> wallpaperScreen;

SIZE PrimaryScreen() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

void TakeDesktop() {
  std::optional<Raster> picture = win32::PhotographDesktop();
  if (!picture) {
    wallpaperScreen = PrimaryScreen();
    picture = win32::WallpaperPicture();
  }
  screen.Keep(std::move(picture));
}

void LayOutWallpaperAgain() {
  const SIZE now = PrimaryScreen();
  if (now.cx == wallpaperScreen->cx && now.cy == wallpaperScreen->cy) return;
  wallpaperScreen = now;
  // One that no longer decodes leaves the old layout to be stretched.
  if (std::optional<Raster> wallpaper = win32::WallpaperPicture()) screen.Keep(std::move(wallpaper));
}

// What the window was last sent, as 32-bit words: the display's own layout,
// which the system then copies as it is, instead of widening 24-bit pixels
// one by one. Made again when the frame's size changes.
std::vector<std::uint8_t> presented;

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
  if (!desktopTaken)
    TakeDesktop(), desktopTaken = true;
  else if (wallpaperScreen)
    LayOutWallpaperAgain();
  return screen.Open(MForm_unit::ScreenWidth, MForm_unit::ScreenHeight);
}

void CopyScreenRect(int left, int top, Raster& into) { screen.Copy(left, top, into); }

void CloseScreen() { screen.Close(); }

void PresentFrame(const Raster& frame, const Damage& damage) {
  const int stride = frame.Width() * 4;
  presented.resize(std::size_t(stride) * frame.Height());
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), frame.Width(), 0, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  for (const Rect& area : damage) {
    WriteXrgb(frame, area, presented.data(), stride, WordOrder::kLittleEndian);
    // The damaged rows alone, described as a DIB of their own, so that the
    // source rectangle spans the whole DIB's height and no row-order
    // convention of partial transfers comes into play. 1:1, so no stretch.
    const int height = area.bottom - area.top, width = area.right - area.left;
    info.bmiHeader.biHeight = -height;
    SetDIBitsToDevice(windowDc, area.left, area.top, DWORD(width), DWORD(height), area.left, 0, 0,
                      UINT(height), presented.data() + std::size_t(area.top) * stride, &info,
                      DIB_RGB_COLORS);
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
