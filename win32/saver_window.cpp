// The saver window MForm: a borderless, black, topmost window over the whole
// primary screen; every other monitor has a board of its own (the desk). Its
// window procedure only translates messages into calls of the TMForm
// handlers, and the boards' news into the same.
#include "win32/saver_window.h"

#include <windows.h>

#include <exception>

#include "core/services.h"
#include "win32/board_messages.h"
#include "win32/desk.h"
#include "win32/display_power.h"
#include "win32/form_messages.h"
#include "win32/win32_platform.h"
#include "win32/win32_services.h"
#include "core/MForm_unit.h"
#include "core/TMForm.h"

namespace {

constexpr char kClassName[] = "TMForm";
constexpr char kCaption[] = "Quillmere Screensaver 1.0";

// Everything the window procedure reaches, made for the window's life.
struct Saver {
  MForm_unit::TMForm form;
  std::optional<win32::Binding> binding;
  win32::Desk desk;
  win32::DisplayPowerNotices displayPower;
  std::optional<std::uint64_t> seed;
};

// The window is not visible yet: the photographs see the desktop as the
// user left it. The other monitors' boards start first, to be built while
// this one is. A board that could not be built leaves nothing to animate:
// creation fails.
LRESULT Create(Saver& saver, HWND window) {
  saver.desk.Photograph();
  saver.desk.Open(window, saver.seed);
  saver.binding.emplace(window);
  const SIZE screen = win32::PrimaryScreenSize();
  saver.binding->Keep(saver.desk.TakePrimaryPicture(), saver.desk.Wallpaper(),
                      {0, 0, screen.cx, screen.cy});
  saver.form.Seed = saver.seed;
  if (!win32::Built([&] { saver.form.FormCreate(screen.cx, screen.cy); })) return -1;
  platform::EnableTimer(true);
  saver.displayPower.Register(window);
  return 0;
}

// Every monitor's puzzle ends with the saver's.
void Close(Saver& saver, HWND window) {
  saver.desk.Close();
  platform::EnableTimer(false);
  saver.form.FormClose();
  DestroyWindow(window);
}

// Whatever gave the window a new size (a display change, the system), the
// board follows; one that cannot be built for it ends the saver.
template <typename Handler>
void Rebuild(HWND window, Handler handler) {
  if (!win32::Built(handler)) PostMessageA(window, WM_CLOSE, 0, 0);
}

// A key applies to every monitor: the keyboard is the whole desk's.
void PressKey(Saver& saver) {
  saver.form.FormKeyPress();
  saver.desk.PressKey();
}

LRESULT Handle(Saver& saver, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MForm_unit::TMForm& form = saver.form;
  if (saver.binding)
    if (const auto answer =
            win32::TranslateFormMessage(form, *saver.binding, window, message, wParam, lParam))
      return *answer;
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
      if (wParam != SIZE_MINIMIZED && saver.binding)
        Rebuild(window, [&] { form.FormResize(LOWORD(lParam), HIWORD(lParam)); });
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) form.FormActivate();
      return 0;
    case WM_ACTIVATEAPP:
      // Another application took the foreground (Alt+Tab, Win+R): the saver
      // must not stay behind it, or the session lock would wait for it.
      if (!wParam) form.FormCloseQuery();
      return 0;
    case WM_DISPLAYCHANGE: {
      // A resolution changed, or a monitor came, went or moved: the window
      // covers the primary again, wherever and however large it now is, and
      // the other monitors' covers and boards follow theirs.
      const SIZE screen = win32::PrimaryScreenSize();
      Rebuild(window, [&] { form.FormDisplayChange(screen.cx, screen.cy); });
      SetWindowPos(window, nullptr, 0, 0, screen.cx, screen.cy, SWP_NOZORDER | SWP_NOACTIVATE);
      saver.desk.Follow(window);
      return 0;
    }
    case WM_CHAR:
    case win32::kCharacterKey:  // typed on another monitor's board
      PressKey(saver);
      return 0;
    case win32::kBoardShown:
      saver.desk.Shown(reinterpret_cast<HWND>(wParam));
      return 0;
    case win32::kEndEveryBoard:  // input on another monitor's board
    case WM_CLOSE:
      form.FormCloseQuery();
      return 0;
    case win32::kCloseNow:
      Close(saver, window);
      return 0;
    case WM_DESTROY:
      saver.displayPower.Unregister();
      saver.desk.Close();
      saver.binding.reset();
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void RunSaverWindow(std::optional<std::uint64_t> seed) {
  Saver saver;
  saver.seed = seed;
  win32::RegisterFormClass(kClassName, win32::FormProc<Saver, Handle>);
  // A tool window: out of the taskbar and Alt+Tab.
  const SIZE screen = win32::PrimaryScreenSize();
  const HWND window =
      CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, kCaption, WS_POPUP, 0, 0,
                      screen.cx, screen.cy, nullptr, nullptr, GetModuleHandleA(nullptr), &saver);
  if (window == nullptr) return;
  ShowWindow(window, SW_SHOWMAXIMIZED);
  win32::RunMessageLoop();
}
