#include "wayland/wayland_platform.h"

#include <cstdio>
#include <utility>

#include "core/MForm_unit.h"
#include "core/TMForm.h"
#include "core/services.h"
#include "wayland/input.h"
#include "wayland/presenter.h"

namespace {

std::optional<Raster> desktop;
Raster screen;  // the desktop at the board's size, while the core captures
wayland::Presenter* presenter = nullptr;
wayland::Input* input = nullptr;
std::optional<wayland::Clock::time_point> deadline;
bool closeRequested = false;
int cursorCounter = 0;

}  // namespace

namespace wayland {

void SetDesktop(std::optional<Raster> picture) { desktop = std::move(picture); }

void BindOutput(Presenter* p, Input* i) { presenter = p, input = i; }

std::optional<Clock::time_point> TimerDeadline() { return deadline; }
bool CloseRequested() { return closeRequested; }

}  // namespace wayland

namespace platform {

bool OpenScreen() {
  if (!desktop) return false;
  const int width = MForm_unit::ScreenWidth, height = MForm_unit::ScreenHeight;
  if (desktop->Width() == width && desktop->Height() == height) return true;
  // Nearest neighbour, as the core stretches.
  screen = Raster(width, height);
  screen.StretchDraw({0, 0, width, height}, *desktop);
  return true;
}

void CopyScreenRect(int left, int top, Raster& into) {
  const Raster& from = screen.Width() ? screen : *desktop;
  into.Copy({0, 0, into.Width(), into.Height()}, from, left, top);
}

void CloseScreen() { screen = Raster(); }

void PresentFrame(const Raster& frame, const Damage& damage) {
  if (presenter != nullptr && !damage.Empty()) presenter->Present(frame, damage);
}

void EnableTimer(bool enabled) {
  if (enabled)
    deadline = wayland::Clock::now() + std::chrono::milliseconds(MForm_unit::kTimerInterval);
  else
    deadline.reset();
}

int ShowCursor(bool show) {
  cursorCounter += show ? 1 : -1;
  if (input != nullptr) input->HidePointer(cursorCounter < 0);
  return cursorCounter;
}

void CloseSaverWindow() { closeRequested = true; }

void ReportFailure(const std::string& message) {
  std::fprintf(stderr, "quillmere-wayland: %s\n", message.c_str());
}

}  // namespace platform
