#pragma once
// The Win32 binding of the saver's platform services.
#include <windows.h>

namespace win32 {

// The window that receives frames, timer ticks and close requests.
void BindSaverWindow(HWND window);
// Dispatches the thread's messages and calls `tick` whenever the saver's
// clock is due, until WM_QUIT; returns the quit code.
int RunSaverLoop(void (*tick)());

}  // namespace win32
