// The renderer's option parser: the bytes are its arguments, split at NUL.
// Any input either parses into options that keep every stated limit or is
// refused with BadInput; nothing else may escape.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "headless/render_options.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

bool WithinTicks(const std::vector<int>& ticks, int last) {
  return std::all_of(ticks.begin(), ticks.end(), [&](int t) { return 1 <= t && t <= last; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> args;
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  while (!rest.empty()) {
    const auto nul = rest.find('\0');
    args.emplace_back(rest.substr(0, nul));
    rest = nul == rest.npos ? std::string_view() : rest.substr(nul + 1);
  }
  RenderOptions options;
  try {
    options = ParseOptions(args);
  } catch (const BadInput& refused) {
    Check(*refused.what() != '\0');
    return 0;
  }
  if (options.help) return 0;
  Check(1 <= options.width && options.width <= kMaxScreenSide);
  Check(1 <= options.height && options.height <= kMaxScreenSide);
  Check(options.ticks >= 1);
  Check(!options.desktop || !options.desktop->empty());
  Check(!options.outDir.empty());
  Check(!options.trace || !options.trace->empty());
  Check(WithinTicks(options.frames, options.ticks) && WithinTicks(options.keys, options.ticks));
  Check(std::adjacent_find(options.frames.begin(), options.frames.end(),
                           [](int a, int b) { return a >= b; }) == options.frames.end());
  Check(std::is_sorted(options.keys.begin(), options.keys.end()));
  return 0;
}
