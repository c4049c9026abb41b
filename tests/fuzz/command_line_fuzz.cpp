// The start-up's command line: the bytes are the process's arguments as the
// C runtime hands them over (split at NUL, as argv cannot hold one). Runs what
// main does with them and checks each step against a reference of its own.
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win32/command_line.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

bool HasSwitch(std::string_view upper, char letter) {
  return (upper.size() >= 2 && (upper[0] == '/' || upper[0] == '-') && upper[1] == letter) ||
         (!upper.empty() && upper[0] == letter);
}

SaverMode ReferenceMode(std::string_view upper) {
  if (upper.empty() || HasSwitch(upper, 'C')) return smConfigure;
  if (HasSwitch(upper, 'P')) return smPreview;
  if (HasSwitch(upper, 'A')) return smPassword;
  return smRun;
}

struct Reference {
  HandleConversion result;
  std::int32_t handle = 0;
};

// The handle rules read through std::from_chars in 64 bits.
Reference ReferenceHandle(std::string_view text) {
  const auto start = text.find_first_not_of(" \t");
  text = start == text.npos ? std::string_view() : text.substr(start);
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    base = 16, text.remove_prefix(2);
  } else if (text.starts_with("$") || text.starts_with("x") || text.starts_with("X")) {
    base = 16, text.remove_prefix(1);
  }
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || end != text.data() + text.size() || error != std::errc())
    return {HandleConversion::ConversionError};
  if (base == 16 && text.size() > 8) return {HandleConversion::ConversionError};
  if (base == 10 && value > (negative ? 2147483648u : 2147483647u))
    return {HandleConversion::ConversionError};
  const std::int64_t signedValue = negative ? -std::int64_t(value) : std::int64_t(value);
  const auto wrapped = std::int32_t(std::uint32_t(std::uint64_t(signedValue)));
  if (wrapped < 0) return {HandleConversion::RangeError};
  return {HandleConversion::Ok, wrapped};
}

// The board's two handles read through std::from_chars: each all digits,
// no leading zero, 1 to 2^32 - 1.
std::optional<BoardArgument> ReferenceBoard(std::string_view upper) {
  const auto comma = upper.find(',');
  if (!upper.starts_with("/BOARD:") || comma == upper.npos) return std::nullopt;
  const std::string_view texts[2] = {upper.substr(7, comma - 7), upper.substr(comma + 1)};
  std::uint32_t handles[2];
  for (int i = 0; i < 2; ++i)
    if (texts[i].empty() || texts[i][0] == '0' || texts[i].find_first_not_of("0123456789") != texts[i].npos ||
        std::from_chars(texts[i].data(), texts[i].data() + texts[i].size(), handles[i]).ec != std::errc())
      return std::nullopt;
  return BoardArgument{handles[0], handles[1]};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> argv;
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  while (!rest.empty()) {
    const auto nul = rest.find('\0');
    argv.emplace_back(rest.substr(0, nul));
    rest = nul == rest.npos ? std::string_view() : rest.substr(nul + 1);
  }
  const std::string first = UpperAscii(argv.size() > 0 ? argv[0] : "");
  const std::string second = UpperAscii(argv.size() > 1 ? argv[1] : "");

  const std::string& original = argv.empty() ? first : argv[0];
  Check(first.size() == original.size());
  for (std::size_t i = 0; i < first.size(); ++i) {
    const char c = original[i];
    Check(first[i] == (c >= 'a' && c <= 'z' ? char(c - 32) : c));
  }
  const SaverMode mode = DecideSaverMode(first);
  Check(mode == ReferenceMode(first));
  // The board's switch is one the host never sends: no switch of the host's asks for it.
  Check(AsksForBoard(first) == first.starts_with("/BOARD:"));
  Check(!AsksForBoard(first) || mode == smRun);
  Check(ParseBoardArgument(first) == ReferenceBoard(first));
  for (const std::string& text : {first, second}) {
    std::uint64_t seed = 0;
    const bool digits = !text.empty() && text.find_first_not_of("0123456789") == text.npos;
    const bool fits = digits && std::from_chars(text.data(), text.data() + text.size(), seed).ec == std::errc();
    Check(SeedOfText(text) == (fits ? std::optional<std::uint64_t>(seed) : std::nullopt));
  }

  // The preview reads the second argument; convert every argument regardless.
  for (const std::string& text : {second, argv.empty() ? std::string() : argv[0]}) {
    std::int32_t handle = -777;
    const HandleConversion result = ConvertHandle(text, handle);
    const Reference reference = ReferenceHandle(text);
    Check(result == reference.result);
    Check(result == HandleConversion::Ok ? handle == reference.handle && handle >= 0
                                         : handle == -777);
  }
  return 0;
}
