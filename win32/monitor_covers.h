#pragma once
// Black covers over every monitor but the primary, which the saver window
// itself covers. They belong to the saver window: made with it, moved with
// the monitors while it lives, gone with it. They never take the foreground,
// and what the pointer does over them reaches the saver window instead.
#include <windows.h>

#include <vector>

namespace win32 {

class MonitorCovers {
 public:
  MonitorCovers() = default;
  ~MonitorCovers() { Remove(); }
  MonitorCovers(const MonitorCovers&) = delete;
  MonitorCovers& operator=(const MonitorCovers&) = delete;

  // One cover per monitor other than the primary, as the monitors are now;
  // called again, the covers follow the monitors.
  void Follow(HWND saver);
  void Remove();

 private:
  std::vector<HWND> covers_;
};

}  // namespace win32
