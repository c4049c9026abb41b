#pragma once
// Black covers over every monitor but the primary, which the saver window
// itself covers; each monitor's board shows over its cover, which is all a
// monitor shows where its board could not start. They belong to the saver
// window: made with it, moved with the monitors while it lives, gone with
// it. They never take the foreground, and what the pointer does over them
// reaches the saver window instead.
#include <windows.h>

#include <vector>

#include "win32/board_layout.h"

namespace win32 {

class MonitorCovers {
 public:
  MonitorCovers() = default;
  ~MonitorCovers() { Remove(); }
  MonitorCovers(const MonitorCovers&) = delete;
  MonitorCovers& operator=(const MonitorCovers&) = delete;

  // One cover per monitor of `monitors` other than the primary; called
  // again, the covers follow the monitors.
  void Follow(HWND saver, const std::vector<MonitorPlace>& monitors);
  void Remove();

 private:
  std::vector<HWND> covers_;
};

}  // namespace win32
