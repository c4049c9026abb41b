#pragma once
// The saver window's behaviour, free of any window system: a binding creates
// one TMForm, forwards its window's events to these handlers, and implements
// the platform services they call.
#include <cstdint>
#include <optional>

#include "core/raster.h"

namespace MForm_unit {

inline constexpr int kTimerInterval = 20;  // milliseconds
inline constexpr int kIgnoredMouseMoves = 10;
inline constexpr int kMouseThreshold = 3;  // pixels on both axes

// Counts down the first mouse-move events of the process, whatever window
// receives them.
inline std::int32_t MouseMovesToIgnore = kIgnoredMouseMoves;

// What the system says of the display's power.
enum class DisplayPower { Off, On, Dimmed };

class TMForm {
 public:
  void FormCreate(std::int32_t screenWidth, std::int32_t screenHeight);
  // The window took a new size: the board is rebuilt for it from the screen
  // as the platform opens it again (the bindings keep the picture taken at
  // creation and stretch it) and the intro starts again, as at creation.
  void FormResize(std::int32_t width, std::int32_t height);
  // The monitors changed under the pointer (a resolution, a monitor come,
  // gone or moved), which may now read at another place without having
  // moved: the next move records it afresh.
  void FormDisplayChange();
  void FormActivate();
  void FormMouseMove(std::int32_t x, std::int32_t y);
  void FormClick();
  void FormMouseDown();
  void FormKeyPress();  // a keystroke that produced a character
  void FormKeyDown() {}
  void FormClose();
  void MTimerTimer();
  // The window system lost `area` of the window: show it again from the
  // frame last composed.
  void FormPaint(Rect area);
  // While the display is off no tick composes or presents; the animation
  // waits where it was. Back on (or dimmed), the whole window is shown again
  // and the ticks resume.
  void FormDisplayPower(DisplayPower power);

  std::int32_t LastMouseX = -1;
  std::int32_t LastMouseY = -1;
  bool FirstActivate = false;
  bool DisplayOff = false;
  // Set before FormCreate, seeds the generator in place of the clock, so that
  // a run can be replayed frame for frame.
  std::optional<std::uint64_t> Seed;

 private:
  void Build(std::int32_t width, std::int32_t height);
};

}  // namespace MForm_unit
