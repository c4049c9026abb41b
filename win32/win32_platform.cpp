#include "win32/win32_platform.h"

#include <algorithm>

#include "core/MForm_unit.h"
#include "core/TMForm.h"
#include "core/services.h"
#include "core/xrgb.h"
#include "win32/wallpaper.h"
#include "win32/win32_services.h"

namespace {

constexpr UINT_PTR kTimerId = 1;
// A band's words: a quarter of a megabyte, whatever the screen's size.
constexpr int kBandBytes = 1 << 18;

win32::Binding* bound = nullptr;

}  // namespace

namespace win32 {

Binding::Binding(HWND window, bool speaks)
    : window_(window), speaks_(speaks), dc_(GetDC(window)) {
  bound = this;
}

Binding::~Binding() {
  bound = nullptr;
  KillTimer(window_, kTimerId);
}

bool Binding::TimerTickWanted() {
  if (!timerEnabled_) KillTimer(window_, kTimerId);
  return timerEnabled_;
}

void Binding::Keep(std::optional<Raster> picture, bool wallpaper, Rect monitor) {
  monitor_ = monitor;
  if (wallpaper) wallpaperScreen_ = SIZE{LONG(monitor.Width()), LONG(monitor.Height())};
  screen_.Keep(std::move(picture));
}

void Binding::LayOutWallpaperAgain(int width, int height) {
  if (width == wallpaperScreen_->cx && height == wallpaperScreen_->cy) return;
  wallpaperScreen_ = SIZE{width, height};
  // One that no longer decodes leaves the old layout to be stretched.
  const Rect now{monitor_.left, monitor_.top, monitor_.left + width, monitor_.top + height};
  if (std::optional<Raster> wallpaper = WallpaperPicture(now)) screen_.Keep(std::move(wallpaper));
}

bool Binding::OpenScreen(int width, int height) {
  if (wallpaperScreen_) LayOutWallpaperAgain(width, height);
  return screen_.Open(width, height);
}

void Binding::Present(const Raster& frame, const Damage& damage) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 0, 0, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  for (const Rect& damaged : damage) {
    const Rect area = Intersection(damaged, {0, 0, frame.Width(), frame.Height()});
    if (IsEmpty(area)) continue;
    const int width = int(area.Width()), stride = width * 4;
    const int rows = std::clamp(kBandBytes / stride, 1, int(area.Height()));
    band_.resize(std::size_t(stride) * rows);
    info.bmiHeader.biWidth = width;
    for (int top = area.top; top < area.bottom; top += rows) {
      const int height = std::min(rows, area.bottom - top);
      WriteXrgb(frame, {area.left, top, area.right, top + height}, band_.data(), stride,
                WordOrder::kLittleEndian, area.left, top);
      // A top-down DIB of the band alone, whose source rectangle spans it
      // whole: no row-order convention of partial transfers comes into play.
      info.bmiHeader.biHeight = -height;
      SetDIBitsToDevice(dc_, area.left, top, DWORD(width), DWORD(height), 0, 0, 0, UINT(height),
                        band_.data(), &info, DIB_RGB_COLORS);
    }
  }
}

// Every tick disables the timer and enables it again, and SetTimer on a
// running timer restarts its interval: so a disabled timer is only killed if
// a tick of it still arrives (TimerTickWanted), one call less per tick.
void Binding::EnableTimer(bool enabled) {
  timerEnabled_ = enabled;
  if (enabled) SetTimer(window_, kTimerId, MForm_unit::kTimerInterval, nullptr);
}

}  // namespace win32

namespace platform {

bool OpenScreen() { return bound->OpenScreen(MForm_unit::ScreenWidth, MForm_unit::ScreenHeight); }

void CopyScreenRect(int left, int top, Raster& into) { bound->Screen().Copy(left, top, into); }

void CloseScreen() { bound->Screen().Close(); }

void PresentFrame(const Raster& frame, const Damage& damage) { bound->Present(frame, damage); }

void EnableTimer(bool enabled) {
  if (bound != nullptr) bound->EnableTimer(enabled);
}

int ShowCursor(bool show) { return ::ShowCursor(show ? TRUE : FALSE); }

// The window closes now: the core asks only once the input rules allow it.
// A window being destroyed may still hear from its input (the capture let
// go): by then it has no binding, and nothing is left to close.
void CloseSaverWindow() {
  if (bound != nullptr) SendMessageA(bound->Window(), win32::kCloseNow, 0, 0);
}

void ReportFailure(const std::string& message) {
  if (bound != nullptr && !bound->Speaks()) {
    OutputDebugStringA(("quillmere board: " + message + "\n").c_str());
    return;
  }
  MessageBoxA(bound != nullptr ? bound->Window() : nullptr, message.c_str(),
              win32::ApplicationTitle().c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace platform
