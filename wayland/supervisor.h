#pragma once
// The process the user starts: one board process per output it finds, the
// lot ended together as soon as one of them ends for another reason than
// its output going away.
#include <cstdint>
#include <optional>

namespace wayland {

// Returns the exit status; throws BadSurroundings before anything is shown.
int Supervise(std::optional<std::uint64_t> seed);

}  // namespace wayland
