#include "win32/form_messages.h"

#include <windowsx.h>

#include "win32/display_power.h"
#include "win32/resources/resource.h"

namespace win32 {

namespace {

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

}  // namespace

void RegisterFormClass(const char* name, WNDPROC procedure) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  windowClass.style = CS_OWNDC;  // one DC for the life of the window
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_QUILLMERE));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_CROSS);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = name;
  RegisterClassA(&windowClass);
}

std::optional<LRESULT> TranslateFormMessage(MForm_unit::TMForm& form, Binding& binding,
                                            HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  switch (message) {
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
    case WM_POWERBROADCAST:
      if (const auto power = DisplayPowerOf(wParam, lParam)) form.FormDisplayPower(*power);
      return TRUE;
    case WM_TIMER:
      if (binding.TimerTickWanted()) form.MTimerTimer();
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
    case WM_KEYDOWN:
      form.FormKeyDown();
      return 0;
  }
  return std::nullopt;
}

}  // namespace win32
