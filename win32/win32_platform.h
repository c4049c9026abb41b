#pragma once
// The Win32 binding of the saver's platform services: frames, the timer and
// failures go to the saver window (or a board's window), and the screen is
// its monitor's desktop as the saver first saw it (or the wallpaper, where
// the screen did not show it). The window makes one for its life; the
// services reach it meanwhile.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "core/damage.h"
#include "core/screen_picture.h"

namespace win32 {

// Sent to the saver window when the core asks it to close: it closes at once.
inline constexpr UINT kCloseNow = WM_APP + 1;

class Binding {
 public:
  // A board's binding (`speaks` false) says its failures to the debugger
  // alone: a message box of its own could take the foreground from the
  // saver, which would end every monitor's puzzle.
  explicit Binding(HWND window, bool speaks = true);
  ~Binding();
  Binding(const Binding&) = delete;
  Binding& operator=(const Binding&) = delete;

  HWND Window() const { return window_; }
  bool Speaks() const { return speaks_; }
  // Whether a timer tick that arrived should run; kills a disabled timer.
  bool TimerTickWanted();

  // The picture the window's board is cut from, taken before any window of
  // ours showed, of the monitor at `monitor` (its place on the virtual
  // screen); `wallpaper` where it is the wallpaper laid out for it.
  void Keep(std::optional<Raster> picture, bool wallpaper, Rect monitor);
  // The monitor is now at `monitor`.
  void Place(Rect monitor) { monitor_ = monitor; }

  // The services.
  bool OpenScreen(int width, int height);
  ScreenPicture& Screen() { return screen_; }
  void Present(const Raster& frame, const Damage& damage);
  void EnableTimer(bool enabled);

 private:
  void LayOutWallpaperAgain(int width, int height);

  HWND window_;
  bool speaks_;
  HDC dc_;  // the class's own DC (CS_OWNDC), valid while the window lives
  bool timerEnabled_ = false;
  // The desktop as the saver first saw it (or the wallpaper), kept: after a
  // display change the board is cut from it again, never from a capture of
  // the saver itself.
  ScreenPicture screen_;
  Rect monitor_;
  // Where that was the wallpaper, the monitor's size it was laid out for: a
  // display change lays it out again, as Windows does (a centred or tiled
  // picture keeps its own size on a larger screen).
  std::optional<SIZE> wallpaperScreen_;
  // Damage crosses as 32-bit words, the display's own layout, which the
  // system copies as it is instead of widening 24-bit pixels one by one; a
  // band of rows at a time.
  std::vector<std::uint8_t> band_;
};

}  // namespace win32
