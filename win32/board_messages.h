#pragma once
// What the saver window and the boards' windows tell each other, posted
// from process to process. kCloseNow (win32_platform.h) is WM_APP + 1.
#include <windows.h>

#include <cstdint>

#include "core/raster.h"

namespace win32 {

// Board to saver: its window (wParam) shows its puzzle.
inline constexpr UINT kBoardShown = WM_APP + 2;
// Board to saver: input on it ended its puzzle; every monitor's ends.
inline constexpr UINT kEndEveryBoard = WM_APP + 3;
// Either way: a key that produced a character; every monitor chooses its
// move afresh.
inline constexpr UINT kCharacterKey = WM_APP + 4;
// Saver to board: the saver ends, or the board's monitor is gone.
inline constexpr UINT kEndBoard = WM_APP + 5;
// Saver to board: its monitor's place now (a display change), in 16 bits a
// number as the system's own messages carry them: left and top (signed)
// in wParam, width and height in lParam.
inline constexpr UINT kMoveBoard = WM_APP + 6;

inline void PostMove(HWND board, Rect area) {
  PostMessageA(board, kMoveBoard, WPARAM(DWORD(MAKELONG(area.left, area.top))),
               LPARAM(DWORD(MAKELONG(area.Width(), area.Height()))));
}

inline Rect MoveOf(WPARAM wParam, LPARAM lParam) {
  const auto left = std::int16_t(LOWORD(wParam)), top = std::int16_t(HIWORD(wParam));
  return {left, top, left + LOWORD(lParam), top + HIWORD(lParam)};
}

}  // namespace win32
