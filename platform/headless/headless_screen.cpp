#include "platform/headless/headless_screen.h"

#include <utility>

#include "platform/screen.h"

namespace {
Raster screen;
Raster window;
int presents = 0;
}  // namespace

namespace headless {

void SetScreen(Raster picture) {
  screen = std::move(picture);
  window = Raster(screen.Width(), screen.Height());
  presents = 0;
}

const Raster& Screen() { return screen; }
const Raster& Window() { return window; }
int PresentCount() { return presents; }

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

}  // namespace platform
