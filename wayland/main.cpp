// quillmere-wayland: the screensaver on Wayland compositors with the wlroots
// layer shell. Every output gets its own puzzle of what it showed; input on
// any of them ends the saver. This file reads the command line.
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>

#include "wayland/connection.h"
#include "wayland/supervisor.h"

namespace {

constexpr const char* kUsage = "usage: quillmere-wayland [--help]";

std::optional<std::uint64_t> SeedFromEnvironment() {
  const char* text = std::getenv("QUILLMERE_SEED");
  if (text == nullptr) return std::nullopt;
  const std::string value = text;
  std::uint64_t seed = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seed);
  if (value.empty() || error != std::errc() || end != value.data() + value.size())
    throw wayland::BadSurroundings("QUILLMERE_SEED: not a number: \"" + value + "\"");
  return seed;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    const std::string option = argv[1];
    if (argc == 2 && (option == "--help" || option == "-h")) {
      std::printf("%s\nPlays a sliding puzzle of each output's picture until a click or a mouse\n"
                  "move; meant to be started by an idle daemon such as swayidle.\n",
                  kUsage);
      return 0;
    }
    std::fprintf(stderr, "quillmere-wayland: unknown option \"%s\" (%s)\n", argv[1], kUsage);
    return 2;
  }
  try {
    return wayland::Supervise(SeedFromEnvironment());
  } catch (const wayland::BadSurroundings& error) {
    std::fprintf(stderr, "quillmere-wayland: %s\n", error.what());
    return 2;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "quillmere-wayland: %s\n", error.what());
    return 1;
  }
}
