// The board's window: borderless, black, topmost over its monitor (and its
// cover), never the foreground. It follows the input rules on its own
// TMForm; its end is every monitor's, which the saver is told of; the
// saver's end, or its word, is the board's.
#include "win32/board_window.h"

#include <windows.h>

#include <exception>

#include "core/services.h"
#include "core/TMForm.h"
#include "win32/board_handover.h"
#include "win32/board_messages.h"
#include "win32/display_power.h"
#include "win32/form_messages.h"
#include "win32/wallpaper.h"
#include "win32/win32_platform.h"

namespace {

constexpr char kClassName[] = "TMFormBoard";
constexpr char kCaption[] = "Quillmere Screensaver 1.0 board";
constexpr int kNoSaver = 2;

struct Board {
  MForm_unit::TMForm form;
  std::optional<win32::Binding> binding;
  win32::DisplayPowerNotices displayPower;
  win32::Handover handover;  // its picture until the board is built
  HWND saver;
  bool closed = false;
};

Rect Monitor(const Board& board) { return board.handover.orders.monitor; }

// Where the screen could not be seen, the board lays its monitor's wallpaper
// out itself, while the saver and the other boards lay out theirs.
LRESULT Create(Board& board, HWND window) {
  const win32::BoardOrders& orders = board.handover.orders;
  board.binding.emplace(window, false);
  std::optional<Raster>& picture = board.handover.picture;
  if (orders.wallpaper) picture = win32::WallpaperPicture(orders.monitor);
  board.binding->Keep(std::move(picture), orders.wallpaper != 0, orders.monitor);
  if (orders.seeded) board.form.Seed = orders.seed;
  if (!win32::Built([&] { board.form.FormCreate(int(orders.monitor.Width()), int(orders.monitor.Height())); }))
    return -1;
  platform::EnableTimer(true);
  board.displayPower.Register(window);
  return 0;
}

// Once: the capture that DestroyWindow lets go of could ask for it again.
void Close(Board& board, HWND window) {
  if (board.closed) return;
  board.closed = true;
  platform::EnableTimer(false);
  board.form.FormClose();
  DestroyWindow(window);
}

// The saver's word of where the monitor now is: over it, and over its cover.
void Move(Board& board, HWND window, Rect area) {
  board.handover.orders.monitor = area;
  board.binding->Place(area);
  // A board that cannot be built for its monitor's new size leaves the
  // monitor to its cover; the others play on.
  if (!win32::Built([&] { board.form.FormDisplayChange(int(area.Width()), int(area.Height())); }))
    return Close(board, window);
  SetWindowPos(window, HWND_TOPMOST, area.left, area.top, int(area.Width()), int(area.Height()),
               SWP_NOACTIVATE);
}

LRESULT Handle(Board& board, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MForm_unit::TMForm& form = board.form;
  if (board.binding)
    if (const auto answer =
            win32::TranslateFormMessage(form, *board.binding, window, message, wParam, lParam))
      return *answer;
  switch (message) {
    case WM_CREATE:
      return Create(board, window);
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;  // the saver keeps the foreground
    case WM_SIZE:
      // A board that cannot be built for its new size leaves its monitor to
      // the cover; the others play on.
      if (wParam != SIZE_MINIMIZED && board.binding &&
          !win32::Built([&] { form.FormResize(LOWORD(lParam), HIWORD(lParam)); }))
        Close(board, window);
      return 0;
    case WM_CHAR:  // the saver gives it to every monitor, this one too
      PostMessageA(board.saver, win32::kCharacterKey, 0, 0);
      return 0;
    case win32::kCharacterKey:
      form.FormKeyPress();
      return 0;
    case win32::kMoveBoard:
      if (board.binding) Move(board, window, win32::MoveOf(wParam, lParam));
      return 0;
    case WM_CLOSE:
      form.FormCloseQuery();
      return 0;
    case win32::kCloseNow:  // its input ended it: every monitor's ends
      if (!board.closed) PostMessageA(board.saver, win32::kEndEveryBoard, 0, 0);
      Close(board, window);
      return 0;
    case win32::kEndBoard:
      Close(board, window);
      return 0;
    case WM_DESTROY:
      board.displayPower.Unregister();
      board.binding.reset();
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// The message loop, until the window has closed or the saver has ended.
int RunUntilTheSaverEnds(HANDLE saver) {
  MSG message;
  while (true) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return int(message.wParam);
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (MsgWaitForMultipleObjects(1, &saver, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0 + 1)
      return 0;
  }
}

// Whether `saver` is the running saver process of the orders, whose window
// they name: a board switch given by hand names none.
bool SaverOf(const win32::BoardOrders& orders, HANDLE saver) {
  const auto window = reinterpret_cast<HWND>(UINT_PTR(orders.saverWindow));
  DWORD owner = 0;
  return GetProcessId(saver) == orders.saverProcess && orders.saverProcess != 0 &&
         WaitForSingleObject(saver, 0) == WAIT_TIMEOUT && IsWindow(window) &&
         GetWindowThreadProcessId(window, &owner) != 0 && owner == orders.saverProcess;
}

}  // namespace

int RunBoard(const BoardArgument& argument) {
  const auto section = reinterpret_cast<HANDLE>(UINT_PTR(argument.picture));
  const auto saver = reinterpret_cast<HANDLE>(UINT_PTR(argument.saver));
  std::optional<win32::Handover> handover = win32::TakeOver(section);
  if (!handover || !SaverOf(handover->orders, saver)) return kNoSaver;
  CloseHandle(section);
  const auto saverWindow = reinterpret_cast<HWND>(UINT_PTR(handover->orders.saverWindow));
  Board board{{}, {}, {}, std::move(*handover), saverWindow};
  win32::RegisterFormClass(kClassName, win32::FormProc<Board, Handle>);
  const Rect area = Monitor(board);
  const HWND window = CreateWindowExA(
      WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClassName, kCaption, WS_POPUP,
      area.left, area.top, int(area.Width()), int(area.Height()), nullptr, nullptr,
      GetModuleHandleA(nullptr), &board);
  if (window == nullptr) return 0;
  ShowWindow(window, SW_SHOWNOACTIVATE);
  board.form.FormActivate();  // shown is as active as a board gets: the pointer hides
  PostMessageA(board.saver, win32::kBoardShown, WPARAM(window), 0);
  const int status = RunUntilTheSaverEnds(saver);
  // The saver went first: no message may reach the board once it is gone.
  if (IsWindow(window)) Close(board, window);
  return status;
}
