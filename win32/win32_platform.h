#pragma once
// The Win32 binding of the saver's platform services.
#include <windows.h>

namespace win32 {

// The window that receives frames, timer ticks and close requests.
void BindSaverWindow(HWND window);
// Whether a timer tick that arrived should run; kills a disabled timer.
bool TimerTickWanted();

}  // namespace win32
