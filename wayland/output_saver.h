#pragma once
// The saver on one output, for the process the supervisor starts for it.
#include <cstdint>
#include <optional>

namespace wayland {

// How a board's process ends, for the supervisor to read.
enum BoardStatus : int {
  kEnded = 0,           // by input, or by a signal
  kFailed = 1,          // said on stderr; the output is left alone
  kBadSurroundings = 2,  // said on stderr
  kOutputGone = 3,       // the output was unplugged or its surface closed
  kConnectionLost = 4,   // not said: the supervisor says it once for all
};

// Photographs the output of that registry name, covers it with the puzzle
// and plays it until input ends it, a byte arrives on `signalFd` or the
// output goes. Returns kEnded or kOutputGone; failures are thrown, and so
// is Stopped for a signal while it starts.
int RunOutput(std::uint32_t outputName, std::optional<std::uint64_t> seed, int signalFd);

}  // namespace wayland
