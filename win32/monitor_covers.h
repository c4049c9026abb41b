#pragma once
// Black covers over every monitor but the primary, which the saver window
// itself covers. They belong to the saver window: made with it, moved with
// the monitors while it lives, gone with it. They never take the foreground,
// and what the pointer does over them reaches the saver window instead.
#include <windows.h>

namespace win32 {

// One cover per monitor other than the primary, as the monitors are now;
// called again, the covers follow the monitors.
void CoverOtherMonitors(HWND saver);
void RemoveMonitorCovers();

}  // namespace win32
