#pragma once
// The renderer's command line. Other tools drive the renderer through it, so
// every malformed value is refused with a message rather than guessed at.
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "headless/screen_limit.h"

// Input the user has to fix; the renderer reports it and exits with status 2.
class BadInput : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct RenderOptions {
  bool help = false;
  std::optional<std::string> desktop;  // unset: the built-in sample desktop
  int width = 1024;                    // sample desktop only
  int height = 768;
  std::optional<std::uint64_t> seed;   // unset: seeded from the clock
  int ticks = 200;
  std::vector<int> frames;  // ascending, each once
  std::vector<int> keys;    // ascending; a tick given twice gets two presses
  std::string outDir = "out";
  std::optional<std::string> trace;
};

// Parses the arguments after the program name. Throws BadInput.
RenderOptions ParseOptions(std::span<const std::string> args);

extern const char kUsage[];
