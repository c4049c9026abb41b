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

std::uint64_t ButtonBit(int button) { return button >= 0 && button < 64 ? 1ull << button : 0; }

}  // namespace

void TMForm::FormCreate(std::int32_t screenWidth, std::int32_t screenHeight) {
  FirstActivate = true;
  Build(screenWidth, screenHeight);
}

void TMForm::FormResize(std::int32_t width, std::int32_t height) {
  if (width == ScreenWidth && height == ScreenHeight) return;
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

void TMForm::FormDisplayChange(std::int32_t width, std::int32_t height) {
  LastMouseX = LastMouseY = -1;
  FormResize(width, height);
}

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
  if (!ending_) platform::ShowCursor(true);
  End();
}

void TMForm::FormMouseDown(int button) {
  held_ |= ButtonBit(button);
  End();
}

// A release is a click, whether or not its press came here.
void TMForm::FormMouseUp(int button) {
  held_ &= ~ButtonBit(button);
  End();
}

void TMForm::FormMouseLost(int first, int count) {
  for (int button = first; button < first + count; ++button) held_ &= ~ButtonBit(button);
  if (ending_) End();
}

void TMForm::FormCloseQuery() { End(); }

void TMForm::End() {
  ending_ = true;
  if (held_ != 0) {
    platform::EnableTimer(false);  // the frame stands still until let go
    return;
  }
  if (closeAsked_) return;
  closeAsked_ = true;
  platform::CloseSaverWindow();
}

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
  if (!ending_) platform::EnableTimer(true);
}

void TMForm::MTimerTimer() {
  if (DisplayOff || ending_) return;  // a tick that was already on its way
  platform::EnableTimer(false);
  Guarded(ComposeFrame);
  platform::EnableTimer(true);
}

}  // namespace MForm_unit
