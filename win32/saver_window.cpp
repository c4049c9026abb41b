// The saver window MForm: a borderless, black, topmost window over the whole
// primary screen, with black covers over any other monitors. Its window
// procedure only translates messages into calls of the TMForm handlers.
#include "win32/saver_window.h"

#include <windows.h>
#include <windowsx.h>

#include <exception>
#include <optional>

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

// Everything the window procedure reaches, made for the window's life.
struct Saver {
  MForm_unit::TMForm form;
  std::optional<win32::Binding> binding;
  win32::MonitorCovers covers;
  win32::DisplayPowerNotices displayPower;
};

// The buttons as the core numbers them: left 1, middle 2, right 3, and the
// side buttons 8 and 9.
int ButtonOf(UINT message, WPARAM wParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      return 1;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      return 2;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      return 3;
    default:
      return GET_XBUTTON_WPARAM(wParam) == XBUTTON1 ? 8 : 9;
  }
}

// A board that could not be built leaves nothing to animate: creation fails.
LRESULT Create(Saver& saver, HWND window) {
  saver.binding.emplace(window);
  try {
    const SIZE screen = win32::PrimaryScreenSize();
    saver.form.FormCreate(screen.cx, screen.cy);
  } catch (const std::exception& failure) {
    platform::ReportFailure(failure.what());
    return -1;
  }
  platform::EnableTimer(true);
  saver.covers.Follow(window);
  saver.displayPower.Register(window);
  return 0;
}

void Close(Saver& saver, HWND window) {
  platform::EnableTimer(false);
  saver.form.FormClose();
  DestroyWindow(window);
}

// Whatever gave the window a new size (a display change, the system), the
// board follows; one that cannot be built for it ends the saver.
void Resize(Saver& saver, HWND window, int width, int height) {
  try {
    saver.form.FormResize(width, height);
  } catch (const std::exception& failure) {
    platform::ReportFailure(failure.what());
    PostMessageA(window, WM_CLOSE, 0, 0);
  }
}

LRESULT Handle(Saver& saver, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MForm_unit::TMForm& form = saver.form;
  switch (message) {
    case WM_CREATE:
      return Create(saver, window);
    case WM_GETMINMAXINFO: {
      // Maximized means exactly the primary screen, taskbar included.
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMaxPosition = {0, 0};
      const SIZE screen = win32::PrimaryScreenSize();
      limits->ptMaxSize = {screen.cx, screen.cy};
      return 0;
    }
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED && saver.binding) Resize(saver, window, LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) form.FormActivate();
      return 0;
    case WM_ACTIVATEAPP:
      // Another application took the foreground (Alt+Tab, Win+R): the saver
      // must not stay behind it, or the session lock would wait for it.
      if (!wParam) form.FormCloseQuery();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel: no black flash in between
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      const RECT& area = paint.rcPaint;
      form.FormPaint({area.left, area.top, area.right, area.bottom});
      EndPaint(window, &paint);
      return 0;
    }
    case WM_DISPLAYCHANGE: {
      // A resolution changed, or a monitor came, went or moved: the window
      // covers the primary again, wherever and however large it now is, and
      // the covers follow the others.
      const SIZE screen = win32::PrimaryScreenSize();
      form.FormDisplayChange(screen.cx, screen.cy);
      SetWindowPos(window, nullptr, 0, 0, screen.cx, screen.cy, SWP_NOZORDER | SWP_NOACTIVATE);
      saver.covers.Follow(window);
      return 0;
    }
    case WM_POWERBROADCAST:
      if (const auto power = win32::DisplayPowerOf(wParam, lParam)) form.FormDisplayPower(*power);
      return TRUE;
    case WM_TIMER:
      if (saver.binding->TimerTickWanted()) form.MTimerTimer();
      return 0;
    case WM_MOUSEMOVE:
      form.FormMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
      SetCapture(window);  // its release comes here, wherever the pointer is
      form.FormMouseDown(ButtonOf(message, wParam));
      return message == WM_XBUTTONDOWN;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_XBUTTONUP:
      form.FormMouseUp(ButtonOf(message, wParam));
      return message == WM_XBUTTONUP;
    case WM_CAPTURECHANGED:
      // Taken by another window: no release will come here.
      if (reinterpret_cast<HWND>(lParam) != window) form.FormMouseLost();
      return 0;
    case WM_CHAR:
      form.FormKeyPress();
      return 0;
    case WM_KEYDOWN:
      form.FormKeyDown();
      return 0;
    case WM_CLOSE:
      form.FormCloseQuery();
      return 0;
    case win32::kCloseNow:
      Close(saver, window);
      return 0;
    case WM_DESTROY:
      saver.displayPower.Unregister();
      saver.covers.Remove();
      saver.binding.reset();
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK MFormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  auto* saver = reinterpret_cast<Saver*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (saver == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return Handle(*saver, window, message, wParam, lParam);
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

  Saver saver;
  // A tool window: out of the taskbar and Alt+Tab.
  const SIZE screen = win32::PrimaryScreenSize();
  const HWND window =
      CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, kCaption, WS_POPUP, 0, 0,
                      screen.cx, screen.cy, nullptr, nullptr, instance, &saver);
  if (window == nullptr) return;
  ShowWindow(window, SW_SHOWMAXIMIZED);
  win32::RunMessageLoop();
}
