#include "wayland/wayland_platform.h"

#include <cstdio>
#include <utility>

#include "core/MForm_unit.h"
#include "core/TMForm.h"
#include "core/screen_picture.h"
#include "core/services.h"
#include "wayland/input.h"
#include "wayland/presenter.h"

namespace {

ScreenPicture screen;  // the output as photographed before the saver showed
wayland::Presenter* presenter = nullptr;
wayland::Input* input = nullptr;
std::optional<wayland::Clock::time_point> deadline;
bool closeRequested = false;
int cursorCounter = 0;

}  // namespace

namespace wayland {

void SetDesktop(std::optional<Raster> picture) { screen.Keep(std::move(picture)); }

void BindOutput(Presenter* p, Input* i) { presenter = p, input = i; }

std::optional<Clock::time_point> TimerDeadline() { return deadline; }
bool CloseRequested() { return closeRequested; }

}  // namespace wayland

namespace platform {

bool OpenScreen() { return screen.Open(MForm_unit::ScreenWidth, MForm_unit::ScreenHeight); }

void CopyScreenRect(int left, int top, Raster& into) { screen.Copy(left, top, into); }

void CloseScreen() { screen.Close(); }

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
