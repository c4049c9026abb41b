#include "win32/preview.h"

#include <cstdint>

#include "win32/win32_services.h"
#include "win32/command_line.h"

namespace {

// The host only cares that the picture stays up and that we leave soon after
// it hides the window; a short pause between checks keeps the CPU idle.
constexpr DWORD kWaitPollMs = 15;
constexpr DWORD kPaintPauseMs = 20;

}  // namespace

int RunPreview(const std::string& secondArgument) {
  std::int32_t value = 0;
  switch (ConvertHandle(secondArgument, value)) {
    case HandleConversion::Ok:
      break;
    case HandleConversion::ConversionError:
      win32::ShowErrorMessage("'" + secondArgument + "' is not a valid window handle.");
      return 1;
    case HandleConversion::RangeError:
      win32::ShowErrorMessage("Window handle '" + secondArgument + "' is out of range.");
      return 1;
  }
  const HWND host = reinterpret_cast<HWND>(static_cast<std::intptr_t>(value));

  while (!IsWindowVisible(host)) {
    // A handle that names no window would never become visible.
    if (!IsWindow(host)) return kNoHostWindowExitCode;
    win32::ProcessPendingMessages();
    win32::WaitForMessageOrTimeout(kWaitPollMs);
  }

  // Measure and paint in the host's DPI context, not in our per-monitor one.
  win32::SetThreadDpiContext(win32::WindowDpiContext(host));
  // One look at the queue tells the launcher that we are idle (no busy
  // cursor over its window) before the painting loop holds the thread.
  MSG message;
  PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);

  RECT window;
  GetWindowRect(host, &window);
  const int width = window.right - window.left + 1;
  const int height = window.bottom - window.top + 1;

  // Not released: process exit reclaims the host window's DC.
  const HDC target = GetDC(host);
  const HBITMAP picture = win32::LoadResourceBitmap("MINIBMP");
  BITMAP size{};
  GetObjectA(picture, sizeof size, &size);
  const HDC source = CreateCompatibleDC(target);
  const HGDIOBJ previous = SelectObject(source, picture);
  SetStretchBltMode(target, COLORONCOLOR);

  while (IsWindowVisible(host)) {
    StretchBlt(target, 0, 0, width - 1, height - 1, source, 0, 0, size.bmWidth, size.bmHeight,
               SRCCOPY);
    Sleep(kPaintPauseMs);
  }

  SelectObject(source, previous);
  DeleteDC(source);
  DeleteObject(picture);
  return 0;
}
