#pragma once
// What a binding whose own loop drives the core keeps for the timer, close
// and cursor services (the X11 hack, the Wayland saver), and when that loop
// wakes: at the tick while the timer runs, reading what the display sent
// only then (one wake-up a tick, and events never more than a tick late);
// at whatever the display sends while it is stopped.
#include <chrono>
#include <optional>

class RunLoop {
 public:
  using Clock = std::chrono::steady_clock;

  // The services' EnableTimer: enabling restarts the interval.
  void EnableTimer(bool enabled);
  // The services' CloseSaverWindow.
  void RequestClose() { closeRequested_ = true; }
  bool CloseRequested() const { return closeRequested_; }
  // The services' ShowCursor: the display counter, hidden below zero.
  int ShowCursor(bool show) { return cursorCounter_ += show ? 1 : -1; }
  bool CursorHidden() const { return cursorCounter_ < 0; }

  std::optional<Clock::time_point> Deadline() const { return deadline_; }
  bool TickDue(Clock::time_point now) const { return deadline_ && now >= *deadline_; }
  // Whether the display's socket wakes the loop: only while no tick is due.
  bool WokenByDisplay() const { return !deadline_; }
  // Milliseconds to sleep from `now` until the tick or `also`, whichever
  // comes first, rounded up; -1 for as long as it takes.
  int Timeout(Clock::time_point now, std::optional<Clock::time_point> also = std::nullopt) const;
  // The same for any deadline: -1 for none.
  static int MillisecondsUntil(Clock::time_point now, std::optional<Clock::time_point> until);

 private:
  std::optional<Clock::time_point> deadline_;
  bool closeRequested_ = false;
  int cursorCounter_ = 0;
};
