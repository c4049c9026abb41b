#include "headless/render_options.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string_view>
#include <utility>

const char kUsage[] =
    "usage: quillmere-render [--desktop FILE.png | --sample] [--size WxH] [--seed N]\n"
    "                        [--ticks T] [--frame T]... [--key T]... [--out DIR]\n"
    "                        [--trace FILE]\n"
    "\n"
    "Runs the screensaver headless over a desktop picture and writes chosen frames.\n"
    "\n"
    "  --desktop FILE.png  the picture that stands for the screen; sets the size\n"
    "  --sample            the built-in sample desktop (the default)\n"
    "  --size WxH          size of the sample desktop, 1..16384 each (1024x768)\n"
    "  --seed N            seed of the random generator (default: the clock)\n"
    "  --ticks T           timer ticks to run (200)\n"
    "  --frame T           after tick T write DIR/frame-T.png; repeatable\n"
    "  --key T             press a character key just before tick T; repeatable\n"
    "  --out DIR           directory for frames, created if missing (out)\n"
    "  --trace FILE        write one JSON line of board state per tick\n"
    "  --help              print this and exit\n";

namespace {

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

enum class Parsed { kNumber, kNotNumber, kTooLarge };

// Plain decimal digits only: no sign, no spaces, no hex.
template <typename Int>
Parsed ParseDecimal(std::string_view text, Int& value) {
  if (text.empty() || text.front() < '0' || text.front() > '9') return Parsed::kNotNumber;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (end != text.data() + text.size()) return Parsed::kNotNumber;
  return error == std::errc() ? Parsed::kNumber : Parsed::kTooLarge;
}

template <typename Int>
Int Number(std::string_view option, std::string_view text, Int low, Int high) {
  Int value{};
  const Parsed parsed = ParseDecimal(text, value);
  if (parsed == Parsed::kNotNumber)
    throw BadInput(std::string(option) + ": not a number: " + Quoted(text));
  if (parsed == Parsed::kTooLarge || value < low || value > high)
    throw BadInput(std::string(option) + ": out of range (" + std::to_string(low) + ".." +
                   std::to_string(high) + "): " + Quoted(text));
  return value;
}

void ParseSize(std::string_view text, RenderOptions& options) {
  const auto x = text.find('x');
  if (x == text.npos) throw BadInput("--size: not WxH: " + Quoted(text));
  int sides[2] = {};
  const std::string_view parts[2] = {text.substr(0, x), text.substr(x + 1)};
  for (int i = 0; i < 2; ++i) {
    const Parsed parsed = ParseDecimal(parts[i], sides[i]);
    if (parsed == Parsed::kNotNumber) throw BadInput("--size: not WxH: " + Quoted(text));
    if (parsed == Parsed::kTooLarge || sides[i] < 1 || sides[i] > kMaxScreenSide)
      throw BadInput("--size: out of range (1.." + std::to_string(kMaxScreenSide) +
                     " on each side): " + Quoted(text));
  }
  options.width = sides[0];
  options.height = sides[1];
}

}  // namespace

RenderOptions ParseOptions(std::span<const std::string> args) {
  RenderOptions options;
  bool sample = false, size = false;
  std::vector<std::string_view> seen;  // options that may be given once
  // --frame and --key are checked against --ticks, which may come after them.
  std::vector<std::pair<std::string_view, std::string_view>> ticksToCheck;
  auto once = [&](std::string_view option) {
    if (std::find(seen.begin(), seen.end(), option) != seen.end())
      throw BadInput(std::string(option) + ": given more than once");
    seen.push_back(option);
  };

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view option = args[i];
    // A following option is never taken for a value: "--out --seed 1" is a slip.
    auto value = [&]() -> std::string_view {
      if (i + 1 == args.size() || args[i + 1].starts_with("--"))
        throw BadInput(std::string(option) + ": missing value");
      return args[++i];
    };
    if (option == "--help" || option == "-h") {
      options.help = true;
      return options;
    } else if (option == "--desktop") {
      once(option);
      options.desktop = std::string(value());
      if (options.desktop->empty()) throw BadInput("--desktop: empty file name");
    } else if (option == "--sample") {
      once(option);
      sample = true;
    } else if (option == "--size") {
      once(option);
      size = true;
      ParseSize(value(), options);
    } else if (option == "--seed") {
      once(option);
      options.seed = Number<std::uint64_t>(option, value(), 0,
                                           std::numeric_limits<std::uint64_t>::max());
    } else if (option == "--ticks") {
      once(option);
      options.ticks = Number<int>(option, value(), 1, std::numeric_limits<int>::max());
    } else if (option == "--frame" || option == "--key") {
      ticksToCheck.push_back({option, value()});
    } else if (option == "--out") {
      once(option);
      options.outDir = std::string(value());
      if (options.outDir.empty()) throw BadInput("--out: empty directory name");
    } else if (option == "--trace") {
      once(option);
      options.trace = std::string(value());
      if (options.trace->empty()) throw BadInput("--trace: empty file name");
    } else if (option.starts_with("-")) {
      throw BadInput("unknown option: " + Quoted(option));
    } else {
      throw BadInput("unexpected argument: " + Quoted(option));
    }
  }

  if (sample && options.desktop) throw BadInput("--sample and --desktop exclude each other");
  if (size && options.desktop)
    throw BadInput("--size cannot be used with --desktop: the picture sets the size");
  for (const auto& [option, text] : ticksToCheck)
    (option == "--frame" ? options.frames : options.keys)
        .push_back(Number<int>(option, text, 1, options.ticks));
  std::sort(options.frames.begin(), options.frames.end());
  options.frames.erase(std::unique(options.frames.begin(), options.frames.end()),
                       options.frames.end());
  std::sort(options.keys.begin(), options.keys.end());
  return options;
}
