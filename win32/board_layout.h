#pragma once
// What a layout of monitors means for the boards of the monitors other than
// the primary: which stay (and where they now are), which go, which monitors
// get a new one. The one place that decides it, at the start and at every
// display change. Pure, no OS header.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/raster.h"

namespace win32 {

// A monitor as the system lists it: its device name and its place on the
// virtual screen, whose origin is the primary's top-left corner.
struct MonitorPlace {
  std::string device;
  Rect area;
  bool primary = false;
  bool operator==(const MonitorPlace&) const = default;
};

struct BoardPlan {
  // For each board, by its index: the monitor it now covers, by index into
  // the layout, or nothing where it goes.
  std::vector<std::optional<std::size_t>> boards;
  // The monitors, by index, that get a board of their own.
  std::vector<std::size_t> start;
};

// `boards` are the monitors the boards running now were given (as they were
// then). A board stays with the monitor at its very place and of its device,
// else with one at its place (the system may have numbered the monitors
// afresh), else with one of its device (moved, or of a new resolution); a
// board left without a monitor goes, and so does one whose monitor is now the
// primary. Every other monitor but the primary, unless it has no pixels,
// gets a board.
BoardPlan PlanBoards(const std::vector<MonitorPlace>& boards,
                     const std::vector<MonitorPlace>& layout);

}  // namespace win32
