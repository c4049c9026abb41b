#include "core/TMForm.h"

#include <cstdlib>
#include <exception>

#include "core/services.h"
#include "core/MForm_unit.h"
#include "core/random.h"

namespace MForm_unit {

namespace {

// What the window framework does with a failing handler: say so, carry on.
template <typename Handler>
void Guarded(Handler handler) {
  try {
    handler();
  } catch (const std::exception& failure) {
    platform::ReportFailure(failure.what());
  } catch (...) {
    platform::ReportFailure("Unknown failure");
  }
}

}  // namespace

void TMForm::FormCreate(std::int32_t screenWidth, std::int32_t screenHeight) {
  FirstActivate = true;
  Build(screenWidth, screenHeight);
}

void TMForm::FormResize(std::int32_t width, std::int32_t height) {
  Direction = 0;  // as at program start: the first move may go any way
  Build(width, height);
}

void TMForm::Build(std::int32_t width, std::int32_t height) {
  ScreenWidth = width;
  ScreenHeight = height;
  CreateFrameBuffers();
  ShownTiles = {};  // nothing of the new frames is on the window yet
  if (Seed)
    SeedRandom(*Seed);
  else
    SeedRandomFromClock();
  BuildBoard();  // the window is not visible yet: this captures the desktop
}

void TMForm::FormDisplayChange() { LastMouseX = LastMouseY = -1; }

void TMForm::FormActivate() {
  if (FirstActivate) {
    FirstActivate = false;
    LastMouseX = LastMouseY = -1;
  }
  while (platform::ShowCursor(false) >= 0) {
  }
}

void TMForm::FormMouseMove(std::int32_t x, std::int32_t y) {
  if (MouseMovesToIgnore > 0) {
    --MouseMovesToIgnore;
    return;
  }
  if (LastMouseX == -1 && LastMouseY == -1) {
    LastMouseX = x;
    LastMouseY = y;
    return;
  }
  // Compared with the first recorded point, so small movements add up.
  if (std::abs(x - LastMouseX) < kMouseThreshold || std::abs(y - LastMouseY) < kMouseThreshold)
    return;
  LastMouseX = x;
  LastMouseY = y;
  platform::ShowCursor(true);
  platform::CloseSaverWindow();
}

void TMForm::FormClick() { platform::CloseSaverWindow(); }

void TMForm::FormMouseDown() { platform::CloseSaverWindow(); }

void TMForm::FormKeyPress() { Guarded(ChooseMove); }

void TMForm::FormClose() { ReleaseFrameBuffers(); }

void TMForm::FormPaint(Rect area) {
  if (!BackBuffer) return;
  platform::PresentFrame(*BackBuffer, Damage(Intersection(area, {0, 0, ScreenWidth, ScreenHeight})));
}

void TMForm::FormDisplayPower(DisplayPower power) {
  const bool off = power == DisplayPower::Off;
  if (off == DisplayOff) return;
  DisplayOff = off;
  if (off) {
    platform::EnableTimer(false);
    return;
  }
  // What the window showed may not have outlived the dark display.
  FormPaint({0, 0, ScreenWidth, ScreenHeight});
  platform::EnableTimer(true);
}

void TMForm::MTimerTimer() {
  if (DisplayOff) return;  // a tick that was already on its way
  platform::EnableTimer(false);
  Guarded(ComposeFrame);
  platform::EnableTimer(true);
}

}  // namespace MForm_unit
