#include "x11/hack_options.h"

#include <charconv>

namespace x11 {

namespace {

template <typename Number>
bool ParseWhole(const std::string& text, int base, Number& value) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (begin == end) return false;
  const auto [stop, error] = std::from_chars(begin, end, value, base);
  return error == std::errc() && stop == end;
}

}  // namespace

std::uint32_t ParseWindowId(const std::string& text) {
  std::uint32_t id = 0;
  const bool hex = text.starts_with("0x") || text.starts_with("0X");
  const bool parsed = hex ? ParseWhole(text.substr(2), 16, id) : ParseWhole(text, 10, id);
  if (!parsed || id == 0) throw BadInput("--window-id: not a window id: \"" + text + "\"");
  return id;
}

std::uint64_t ParseSeed(const std::string& text) {
  std::uint64_t seed = 0;
  if (!ParseWhole(text, 10, seed)) throw BadInput("QUILLMERE_SEED: not a number: \"" + text + "\"");
  return seed;
}

HackOptions ParseHackOptions(std::span<const std::string> args) {
  HackOptions options;
  bool root = false, windowId = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string option = args[i];
    if (option.starts_with("--")) option.erase(0, 1);
    if (option == "-root") {
      if (root) throw BadInput("--root can be given only once");
      root = true;
    } else if (option == "-window-id") {
      if (windowId) throw BadInput("--window-id can be given only once");
      if (i + 1 == args.size()) throw BadInput("--window-id needs a window id");
      windowId = true;
      options.windowId = ParseWindowId(args[++i]);
    } else {
      throw BadInput("unknown option \"" + args[i] + "\" (use --root or --window-id ID)");
    }
  }
  // The daemon's settings run a programs line of --root with --window-id
  // added for their preview: the window named wins, as in the daemon's own
  // hacks.
  if (windowId)
    options.target = HackOptions::Target::kWindowId;
  else if (root)
    options.target = HackOptions::Target::kRoot;
  return options;
}

}  // namespace x11
