#include "platform/headless/headless_platform.h"

#include <utility>

#include "platform/services.h"

namespace {
Raster screen;
Raster window;
int presents = 0;
bool timerEnabled = true;
int cursorCounter = 0;
bool closeRequested = false;
std::vector<std::string> failures;
}  // namespace

namespace headless {

void SetScreen(Raster picture) {
  screen = std::move(picture);
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

void OpenScreen() {}
void CloseScreen() {}

void CopyScreenRect(int left, int top, Raster& into) {
  into.Copy({0, 0, into.Width(), into.Height()}, screen, left, top);
}

void PresentFrame(const Raster& frame) {
  window.Draw(0, 0, frame);
  ++presents;
}

void EnableTimer(bool enabled) { timerEnabled = enabled; }
int ShowCursor(bool show) { return cursorCounter += show ? 1 : -1; }
void CloseSaverWindow() { closeRequested = true; }
void ReportFailure(const std::string& message) { failures.push_back(message); }

}  // namespace platform
