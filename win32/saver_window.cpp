// The saver window MForm: a borderless, black, topmost window over the whole
// primary screen, with black covers over any other monitors. Its window
// procedure only translates messages into calls of the TMForm handlers.
#include "win32/saver_window.h"

#include <windows.h>
#include <windowsx.h>

#include <exception>

#include "core/services.h"
#include "win32/display_power.h"
#include "win32/monitor_covers.h"
#include "win32/win32_platform.h"
#include "win32/win32_services.h"
#include "win32/resources/resource.h"
#include "core/MForm_unit.h"
#include "core/TMForm.h"

namespace {

constexpr char kClassName[] = "TMForm";
constexpr char kCaption[] = "Quillmere Screensaver 1.0";

MForm_unit::TMForm MForm;

// A press ends the saver, but its windows stay until every button is up
// again: so the release, and the right button's context menu, reach nothing
// beneath. Set while it waits for that.
bool closing = false;
constexpr WPARAM kButtons = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2;

// A board that could not be built leaves nothing to animate: creation fails.
LRESULT Create(HWND window) {
  win32::BindSaverWindow(window);
  try {
    MForm.FormCreate(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  } catch (const std::exception& failure) {
    platform::ReportFailure(failure.what());
    return -1;
  }
  platform::EnableTimer(true);
  win32::CoverOtherMonitors(window);
  win32::RegisterDisplayPower(window);
  return 0;
}

void Close(HWND window) {
  closing = false;
  platform::EnableTimer(false);
  MForm.FormClose();
  DestroyWindow(window);
}

// Whatever gave the window a new size (a display change, the system), the
// board follows; one that cannot be built for it ends the saver.
void Resize(HWND window, int width, int height) {
  if (width == MForm_unit::ScreenWidth && height == MForm_unit::ScreenHeight) return;
  try {
    MForm.FormResize(width, height);
  } catch (const std::exception& failure) {
    platform::ReportFailure(failure.what());
    PostMessageA(window, WM_CLOSE, 0, 0);
  }
}

LRESULT CALLBACK MFormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return Create(window);
    case WM_GETMINMAXINFO: {
      // Maximized means exactly the primary screen, taskbar included.
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMaxPosition = {0, 0};
      limits->ptMaxSize = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
      return 0;
    }
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) Resize(window, LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) MForm.FormActivate();
      return 0;
    case WM_ACTIVATEAPP:
      // Another application took the foreground (Alt+Tab, Win+R): the saver
      // must not stay behind it, or the session lock would wait for it.
      if (!wParam) PostMessageA(window, WM_CLOSE, 0, 0);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel: no black flash in between
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      const RECT& area = paint.rcPaint;
      MForm.FormPaint({area.left, area.top, area.right, area.bottom});
      EndPaint(window, &paint);
      return 0;
    }
    case WM_DISPLAYCHANGE:
      // A resolution changed, or a monitor came, went or moved: the window
      // covers the primary again, wherever and however large it now is, and
      // the covers follow the others.
      MForm.FormDisplayChange();
      SetWindowPos(window, nullptr, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                   GetSystemMetrics(SM_CYSCREEN), SWP_NOZORDER | SWP_NOACTIVATE);
      win32::CoverOtherMonitors(window);
      return 0;
    case WM_POWERBROADCAST:
      if (const auto power = win32::DisplayPowerOf(wParam, lParam))
        MForm.FormDisplayPower(*power);
      return TRUE;
    case WM_TIMER:
      if (win32::TimerTickWanted()) MForm.MTimerTimer();
      return 0;
    case WM_MOUSEMOVE:
      MForm.FormMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
      SetCapture(window);  // its release comes here, wherever the pointer is
      MForm.FormMouseDown();
      return message == WM_XBUTTONDOWN;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_XBUTTONUP:
      if (message == WM_LBUTTONUP) MForm.FormClick();
      if (closing && !(wParam & kButtons)) Close(window);
      return message == WM_XBUTTONUP;
    case WM_CAPTURECHANGED:
      if (closing) Close(window);  // the release will not come here
      return 0;
    case WM_CHAR:
      MForm.FormKeyPress();
      return 0;
    case WM_KEYDOWN:
      MForm.FormKeyDown();
      return 0;
    case WM_CLOSE:
      if (GetCapture() == window) {  // a press asked: its release closes
        closing = true;
        platform::EnableTimer(false);
        return 0;
      }
      Close(window);
      return 0;
    case WM_DESTROY:
      win32::UnregisterDisplayPower();
      win32::RemoveMonitorCovers();
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void RunSaverWindow() {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  windowClass.style = CS_OWNDC;  // one DC for the life of the window
  windowClass.lpfnWndProc = MFormProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_QUILLMERE));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_CROSS);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kClassName;
  RegisterClassA(&windowClass);

  // A tool window: out of the taskbar and Alt+Tab.
  const HWND window = CreateWindowExA(
      WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, kCaption, WS_POPUP, 0, 0,
      GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, instance,
      nullptr);
  if (window == nullptr) return;
  ShowWindow(window, SW_SHOWMAXIMIZED);
  win32::RunMessageLoop();
}
