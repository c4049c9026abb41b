#pragma once
// The hack's command line, in the screensaver daemon's conventions: each
// option with one dash or two.
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

namespace x11 {

// Input the user has to fix: one line on stderr, exit status 2.
class BadInput : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct HackOptions {
  enum class Target { kOwnWindow, kRoot, kWindowId } target = Target::kOwnWindow;
  std::uint32_t windowId = 0;  // kWindowId only
};

// Parses the arguments after the program name: --window-id wins over --root
// when both are given; each at most once. Throws BadInput.
HackOptions ParseHackOptions(std::span<const std::string> args);

// A window id in decimal or 0x hex, non-zero, at most 32 bits. Throws BadInput.
std::uint32_t ParseWindowId(const std::string& text);

// QUILLMERE_SEED's value: a decimal 64-bit number. Throws BadInput.
std::uint64_t ParseSeed(const std::string& text);

}  // namespace x11
