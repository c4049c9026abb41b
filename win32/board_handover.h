#pragma once
// What the saver hands a board process at its start: its orders and its
// picture, in a section of shared memory whose handle the board inherits.
// Both sides are here, so that they read one layout.
#include <windows.h>

#include <cstdint>
#include <optional>

#include "core/raster.h"

namespace win32 {

struct BoardOrders {
  Rect monitor;  // its place on the virtual screen
  std::uint64_t saverWindow = 0;  // where the board's news go
  std::uint32_t saverProcess = 0;  // whose end is the board's
  std::uint32_t wallpaper = 0;  // 1: the picture is the wallpaper's layout
  std::uint32_t seeded = 0;  // 1: `seed` in place of the clock
  std::uint64_t seed = 0;
};

// A section holding both, not inheritable; nullptr where it cannot be made.
HANDLE HandOver(const BoardOrders& orders, const std::optional<Raster>& picture);

struct Handover {
  BoardOrders orders;
  std::optional<Raster> picture;  // nothing: the sample desktop
};
// The board's side: what the section holds, or nothing where the handle is
// no such section (a board switch given by hand).
std::optional<Handover> TakeOver(HANDLE section);

}  // namespace win32
