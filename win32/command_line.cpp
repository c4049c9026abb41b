#include "win32/command_line.h"

#include <charconv>

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool Asks(std::string_view argument, char letter) {
  const char slash[] = {'/', letter, '\0'};
  const char dash[] = {'-', letter, '\0'};
  return StartsWith(argument, slash) || StartsWith(argument, dash) ||
         (!argument.empty() && argument[0] == letter);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

constexpr std::string_view kBoardSwitch = "/BOARD:";

// Decimal digits without a leading zero, at most `limit`; the rest of `text`
// is left in it.
std::optional<std::uint64_t> Whole(std::string_view& text, std::uint64_t limit) {
  if (text.empty() || text[0] < '1' || text[0] > '9') return std::nullopt;
  std::uint64_t value = 0;
  for (; !text.empty() && text[0] >= '0' && text[0] <= '9'; text.remove_prefix(1)) {
    const auto digit = std::uint64_t(text[0] - '0');
    if (value > (limit - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

}  // namespace

std::string UpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  }
  return upper;
}

SaverMode DecideSaverMode(std::string_view firstArgument) {
  SaverMode mode = smRun;
  if (Asks(firstArgument, 'A')) mode = smPassword;
  if (Asks(firstArgument, 'P')) mode = smPreview;
  if (Asks(firstArgument, 'C') || firstArgument.empty()) mode = smConfigure;
  return mode;
}

HandleConversion ConvertHandle(std::string_view text, std::int32_t& handle) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  std::string_view rest = text.substr(i);

  std::uint32_t magnitude = 0;
  std::size_t hexPrefix = 0;
  if (StartsWith(rest, "$") || StartsWith(rest, "x") || StartsWith(rest, "X")) {
    hexPrefix = 1;
  } else if (StartsWith(rest, "0x") || StartsWith(rest, "0X")) {
    hexPrefix = 2;
  }
  if (hexPrefix > 0) {
    const std::string_view hex = rest.substr(hexPrefix);
    if (hex.empty() || hex.size() > 8) return HandleConversion::ConversionError;
    for (char c : hex) {
      const int digit = HexDigit(c);
      if (digit < 0) return HandleConversion::ConversionError;
      magnitude = magnitude << 4 | std::uint32_t(digit);
    }
  } else {
    if (rest.empty()) return HandleConversion::ConversionError;
    // One past the largest negative magnitude, so that any overflow shows.
    constexpr std::uint64_t kLimit = 2147483648u;
    std::uint64_t value = 0;
    for (char c : rest) {
      if (c < '0' || c > '9') return HandleConversion::ConversionError;
      value = value * 10 + std::uint64_t(c - '0');
      if (value > kLimit) return HandleConversion::ConversionError;
    }
    if (!negative && value == kLimit) return HandleConversion::ConversionError;
    magnitude = std::uint32_t(value);
  }

  // Hex digits fill all 32 bits, so 80000000..FFFFFFFF read as negative.
  if (negative) magnitude = 0u - magnitude;
  const auto result = std::int32_t(magnitude);
  if (result < 0) return HandleConversion::RangeError;
  handle = result;
  return HandleConversion::Ok;
}

bool AsksForBoard(std::string_view firstArgument) { return StartsWith(firstArgument, kBoardSwitch); }

std::optional<BoardArgument> ParseBoardArgument(std::string_view firstArgument) {
  if (!AsksForBoard(firstArgument)) return std::nullopt;
  std::string_view rest = firstArgument.substr(kBoardSwitch.size());
  const auto picture = Whole(rest, 0xFFFFFFFFu);
  if (!picture || !StartsWith(rest, ",")) return std::nullopt;
  rest.remove_prefix(1);
  const auto saver = Whole(rest, 0xFFFFFFFFu);
  if (!saver || !rest.empty()) return std::nullopt;
  return BoardArgument{std::uint32_t(*picture), std::uint32_t(*saver)};
}

std::optional<std::uint64_t> SeedOfText(std::string_view text) {
  std::uint64_t seed = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, seed);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return seed;
}
