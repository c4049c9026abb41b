#pragma once
// The saver's other monitors: each its black cover and over it a board
// process of its own, cut from its own picture. The photographs are taken
// before any window of ours shows, of a monitor that comes later before its
// cover goes up; where the screen cannot be seen, each board lays its
// monitor's wallpaper out itself, all of them at once.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "core/raster.h"
#include "win32/board_layout.h"
#include "win32/board_processes.h"
#include "win32/monitor_covers.h"

namespace win32 {

class Desk {
 public:
  // Every monitor photographed, before any window of ours shows.
  void Photograph();
  // Whether the pictures are the wallpaper's, the screen not showing the
  // user's desktop.
  bool Wallpaper() const { return wallpaper_; }
  // Once the saver window is made: the covers, and over them the boards.
  void Open(HWND saver, std::optional<std::uint64_t> seed);
  // The primary's picture: its photograph, or its wallpaper laid out now,
  // while the boards lay out theirs. Taken once.
  std::optional<Raster> TakePrimaryPicture();
  // A display change: covers and boards as the monitors now are.
  void Follow(HWND saver);

  void Shown(HWND board) { boards_.Shown(board); }
  void PressKey() { boards_.PressKey(); }
  // Every board ends, every cover goes.
  void Close();

 private:
  void Start(HWND saver, const MonitorPlace& monitor, const std::optional<Raster>& picture);

  std::vector<MonitorPlace> monitors_;  // as photographed, until the boards start
  std::vector<std::optional<Raster>> pictures_;  // theirs, likewise
  std::optional<Raster> primary_;  // the primary's photograph
  Rect primaryArea_;
  bool wallpaper_ = false;
  std::optional<std::uint64_t> seed_;
  MonitorCovers covers_;
  BoardProcesses boards_;
};

}  // namespace win32
