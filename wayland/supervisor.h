#pragma once
// The process the user starts: one board process per output it finds, the
// lot ended together by input on any of them, a signal or the compositor's
// end; an output that goes, or that its board cannot serve, ends only that
// board.
#include <cstdint>
#include <optional>

namespace wayland {

// Returns the exit status; throws BadSurroundings before anything is shown.
int Supervise(std::optional<std::uint64_t> seed);

}  // namespace wayland
