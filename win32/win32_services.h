#pragma once
// Thin Win32 services for the start-up and the settings dialog: each call
// translates to the system and back, and decides nothing.
#include <windows.h>

#include <string>

namespace win32 {

// A named kernel semaphore used only as a marker; `handle` is null on failure.
struct NamedSemaphore {
  HANDLE handle = nullptr;
  bool alreadyExisted = false;
};
// Default security, initial count 0, maximum count 1. The handle is kept
// until CloseNamedSemaphore or process exit.
NamedSemaphore CreateNamedSemaphore(const char* name);
void CloseNamedSemaphore(NamedSemaphore& semaphore);

// The title that failure messages carry.
void SetApplicationTitle(std::string title);
const std::string& ApplicationTitle();
void ShowErrorMessage(const std::string& text);

// The name of the desktop the calling thread runs on ("Default" for the
// user's own); empty if it cannot be read.
std::string ThreadDesktopName();

// The primary screen's size in pixels.
inline SIZE PrimaryScreenSize() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

// Runs the thread's message loop until WM_QUIT; returns the quit code.
int RunMessageLoop();
// Dispatches whatever is queued, without waiting.
void ProcessPendingMessages();
// Sleeps up to `milliseconds`, waking early when a message arrives.
void WaitForMessageOrTimeout(DWORD milliseconds);

// A bitmap resource of this executable, kept in its own pixel format.
HBITMAP LoadResourceBitmap(const char* name);
HICON LoadResourceIcon(int id);

// "open" on `target` through the shell, maximized; the result is not examined.
void OpenWithShell(HWND owner, const std::string& target);

// A user32 function that older Windows may lack, looked up at run time so
// that those still start; nullptr where it is missing.
template <typename Function>
Function User32Function(const char* name) {
  const HMODULE user32 = GetModuleHandleA("user32.dll");
  return user32 == nullptr ? nullptr
                           : reinterpret_cast<Function>(
                                 reinterpret_cast<void (*)()>(GetProcAddress(user32, name)));
}

// The calling thread's DPI awareness context, where Windows has them (10
// version 1607 on); elsewhere these do nothing and return nullptr. The
// functions are looked up at run time so that older Windows still start.
using DpiContext = HANDLE;
inline const DpiContext kDpiUnawareGdiScaled = reinterpret_cast<DpiContext>(-5);
inline const DpiContext kDpiUnaware = reinterpret_cast<DpiContext>(-1);
// The context the window was created in.
DpiContext WindowDpiContext(HWND window);
// Sets the thread's context; returns the one before, or nullptr on failure.
DpiContext SetThreadDpiContext(DpiContext context);

}  // namespace win32
