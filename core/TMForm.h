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
  // creation and stretch it) and the intro starts again, as at creation. A
  // size the board already has changes nothing.
  void FormResize(std::int32_t width, std::int32_t height);
  // The monitors changed (a resolution, a monitor come, gone or moved) and
  // the window now has that size: the pointer may read at another place
  // without having moved, so the next move records it afresh.
  void FormDisplayChange(std::int32_t width, std::int32_t height);
  void FormActivate();

  // Input, in the window's client coordinates. Any press or click asks for
  // the end, and so does a move by the rule of the first ten and the three
  // pixels; but while a button (or finger) is held over the saver the end
  // waits, with the frame standing still, until the last is let go or its
  // release is lost, so that nothing beneath gets the release or a context
  // menu. `button` is the binding's own number for it, 0 to 63.
  void FormMouseMove(std::int32_t x, std::int32_t y);
  void FormMouseDown(int button);
  void FormMouseUp(int button);
  // No release will come for what is held of buttons first .. first +
  // count - 1 (the capture was taken, the window unmapped, the pointer or
  // the touches withdrawn).
  void FormMouseLost(int first = 0, int count = 64);
  // Something other than input asks the window to close (another program
  // took the foreground): the same wait for held buttons applies.
  void FormCloseQuery();

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

  bool ButtonsHeld() const { return held_ != 0; }

  std::int32_t LastMouseX = -1;
  std::int32_t LastMouseY = -1;
  bool FirstActivate = false;
  bool DisplayOff = false;
  // Set before FormCreate, seeds the generator in place of the clock, so that
  // a run can be replayed frame for frame.
  std::optional<std::uint64_t> Seed;

 private:
  void Build(std::int32_t width, std::int32_t height);
  void End();

  std::uint64_t held_ = 0;  // bit N: button N is down
  bool ending_ = false;
  bool closeAsked_ = false;  // CloseSaverWindow is asked once
};

}  // namespace MForm_unit
