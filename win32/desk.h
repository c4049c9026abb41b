#pragma once
// The saver's other monitors: each its black cover and over it a board
// process of its own, cut from its own picture. The pictures are taken
// before any window of ours shows; a monitor that comes later is
// photographed (or its wallpaper laid out) before its cover goes up.
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
  // Every monitor's picture, before any window of ours shows; returns the
  // primary's and keeps the others' for their boards.
  std::optional<Raster> Photograph();
  // Whether the pictures are the wallpaper's, the screen not showing the
  // user's desktop.
  bool Wallpaper() const { return wallpaper_; }
  // Once the saver window is made: the covers, and over them the boards.
  void Open(HWND saver, std::optional<std::uint64_t> seed);
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
  bool wallpaper_ = false;
  std::optional<std::uint64_t> seed_;
  MonitorCovers covers_;
  BoardProcesses boards_;
};

}  // namespace win32
