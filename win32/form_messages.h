#pragma once
// What the saver window and a board's window do alike: their window class,
// and the messages that each translates into the same TMForm handlers
// (painting, the timer, the display's power, the pointer and its buttons).
#include <windows.h>

#include <exception>
#include <optional>

#include "core/TMForm.h"
#include "core/services.h"
#include "win32/win32_platform.h"

namespace win32 {

// A class of borderless black windows with one DC each and the crosshair
// (hidden while they show), under the program's icon.
void RegisterFormClass(const char* name, WNDPROC procedure);

// The window procedure of a window made with a `State` as its creation
// parameter, which `handle` is given with every message from then on.
template <typename State, LRESULT (*handle)(State&, HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  auto* state = reinterpret_cast<State*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (state == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return handle(*state, window, message, wParam, lParam);
}

// Runs a handler that builds the board (a creation, a new size, a display
// change): false, with the failure reported, where it could not.
template <typename Handler>
bool Built(Handler handler) {
  try {
    handler();
    return true;
  } catch (const std::exception& failure) {
    platform::ReportFailure(failure.what());
    return false;
  }
}

// The handler's answer to one of those messages; nothing for any other.
std::optional<LRESULT> TranslateFormMessage(MForm_unit::TMForm& form, Binding& binding,
                                            HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);

}  // namespace win32
