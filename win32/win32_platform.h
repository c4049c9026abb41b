#pragma once
// The Win32 binding of the saver's platform services.
#include <windows.h>

namespace win32 {

// The window that receives frames, timer ticks and close requests.
void BindSaverWindow(HWND window);

}  // namespace win32
