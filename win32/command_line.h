#pragma once
// The screensaver protocol's command line, decided without any OS header so
// that the rules can be tested on any machine.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum SaverMode : std::uint8_t {
  smPassword = 0,
  smPreview = 1,
  smConfigure = 2,
  smRun = 3,
};

// Upper-cases the ASCII letters only; every other byte is kept as it is.
std::string UpperAscii(std::string_view text);

// The mode asked for by the (already upper-cased) first argument: the password,
// preview and configure tests run in that order, and a later match overrides
// an earlier one.
SaverMode DecideSaverMode(std::string_view firstArgument);

enum class HandleConversion { Ok, ConversionError, RangeError };

// Reads the preview host's window handle: leading blanks, an optional sign,
// then decimal digits or up to 8 hex digits after "$", "x", "X", "0x" or "0X".
// A negative result is a range error; anything else malformed is a conversion
// error. `handle` is written only on Ok.
HandleConversion ConvertHandle(std::string_view text, std::int32_t& handle);

// The saver starts a board process for each of its other monitors with a
// first argument the host never sends, "/BOARD:PICTURE,SAVER": two handles
// it inherits, in decimal, the board's picture and the saver's process.
// Whether the (already upper-cased) first argument is one, well formed or not:
// no other road is taken for it.
bool AsksForBoard(std::string_view firstArgument);
struct BoardArgument {
  std::uint32_t picture = 0, saver = 0;
  bool operator==(const BoardArgument&) const = default;
};
// The two handles, each 1 to 4294967295 without sign or leading zero;
// nothing when the argument is not exactly that.
std::optional<BoardArgument> ParseBoardArgument(std::string_view firstArgument);

// A fixed seed for the shuffle in place of the clock (QUILLMERE_SEED, for
// the tests): decimal digits that fit 64 bits, and nothing else, as the
// other bindings read it.
std::optional<std::uint64_t> SeedOfText(std::string_view text);
