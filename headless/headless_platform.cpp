#include "headless/headless_platform.h"

#include <utility>

#include "core/services.h"

namespace {
Raster screen;
bool screenSeen = true;
Raster window;
int presents = 0;
bool timerEnabled = true;
int cursorCounter = 0;
bool closeRequested = false;
std::vector<std::string> failures;
}  // namespace

namespace headless {

void SetScreen(Raster picture, bool seen) {
  screen = std::move(picture);
  screenSeen = seen;
  window = Raster(screen.Width(), screen.Height());
  presents = 0;
  timerEnabled = true;
  cursorCounter = 0;
  closeRequested = false;
  failures.clear();
}

const Raster& Screen() { return screen; }
const Raster& Window() { return window; }
int PresentCount() { return presents; }
bool TimerEnabled() { return timerEnabled; }
int CursorCounter() { return cursorCounter; }
bool CloseRequested() { return closeRequested; }
const std::vector<std::string>& Failures() { return failures; }

}  // namespace headless

namespace platform {

bool OpenScreen() { return screenSeen; }
void CloseScreen() {}

void CopyScreenRect(int left, int top, Raster& into) {
  into.Copy({0, 0, into.Width(), into.Height()}, screen, left, top);
}

// Only the damage reaches the window, as on a real screen; if the core left
// out a changed pixel, the window shows the stale one.
void PresentFrame(const Raster& frame, const Damage& damage) {
  for (const Rect& area : damage) window.Copy(area, frame, area.left, area.top);
  ++presents;
}

void EnableTimer(bool enabled) { timerEnabled = enabled; }
int ShowCursor(bool show) { return cursorCounter += show ? 1 : -1; }
void CloseSaverWindow() { closeRequested = true; }
void ReportFailure(const std::string& message) { failures.push_back(message); }

}  // namespace platform
