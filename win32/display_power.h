#pragma once
// The display's power for the saver window: the system says when the display
// goes dark and when it comes back; these ask for that and translate it.
#include <windows.h>

#include <optional>

#include "core/TMForm.h"

namespace win32 {

// Asks for the console display's state to be sent to a window (Windows 8
// on; before it, the monitor's power), for as long as this lives.
class DisplayPowerNotices {
 public:
  DisplayPowerNotices() = default;
  ~DisplayPowerNotices() { Unregister(); }
  DisplayPowerNotices(const DisplayPowerNotices&) = delete;
  DisplayPowerNotices& operator=(const DisplayPowerNotices&) = delete;

  void Register(HWND window);
  void Unregister();

 private:
  HPOWERNOTIFY registration_ = nullptr;
};
// The display's state that a WM_POWERBROADCAST tells, if it tells one.
std::optional<MForm_unit::DisplayPower> DisplayPowerOf(WPARAM event, LPARAM setting);

}  // namespace win32
