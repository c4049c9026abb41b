#include "x11/hack_options.h"

#include <gtest/gtest.h>

#include <vector>

using x11::HackOptions;
using Target = HackOptions::Target;

namespace {

HackOptions Parse(std::vector<std::string> args) { return x11::ParseHackOptions(args); }

TEST(HackOptions, EachTargetWithOneDashOrTwo) {
  struct Case {
    std::vector<std::string> args;
    Target target;
    std::uint32_t id;
  } cases[] = {
      {{}, Target::kOwnWindow, 0},
      {{"--root"}, Target::kRoot, 0},
      {{"-root"}, Target::kRoot, 0},
      {{"--window-id", "4194313"}, Target::kWindowId, 4194313},
      {{"-window-id", "0x400009"}, Target::kWindowId, 0x400009},
      {{"--window-id", "0XFFFFFFFF"}, Target::kWindowId, 0xFFFFFFFF},
      // The settings' preview adds --window-id to a programs line of --root.
      {{"--root", "--window-id", "0x1a00004"}, Target::kWindowId, 0x1a00004},
      {{"-window-id", "77", "-root"}, Target::kWindowId, 77},
  };
  for (const Case& c : cases) {
    const HackOptions options = Parse(c.args);
    EXPECT_EQ(options.target, c.target) << testing::PrintToString(c.args);
    EXPECT_EQ(options.windowId, c.id) << testing::PrintToString(c.args);
  }
}

TEST(HackOptions, BadInputIsRefusedWithAReason) {
  const std::vector<std::vector<std::string>> cases = {
      {"--fullscreen"}, {"root"},           {"--window-id"},        {"--window-id", "0"},
      {"--window-id", "12x"}, {"--window-id", "0x"}, {"--window-id", "-5"},
      {"--window-id", "4294967296"}, {"--window-id", "0x1g"}, {"--root", "--root"},
      {"--window-id", "9", "--window-id", "9"}, {"--root", "--window-id", "9", "--root"},
      {"--root", "--window-id"}, {"--root", "--window-id", "0"}, {"--root", "--fullscreen"}, {""},
  };
  for (const auto& args : cases) {
    try {
      Parse(args);
      ADD_FAILURE() << "accepted " << testing::PrintToString(args);
    } catch (const x11::BadInput& error) {
      EXPECT_NE(std::string(error.what()), "");
      EXPECT_EQ(std::string(error.what()).find('\n'), std::string::npos);
    }
  }
}

TEST(HackOptions, SeedIsADecimalNumber) {
  EXPECT_EQ(x11::ParseSeed("0"), 0u);
  EXPECT_EQ(x11::ParseSeed("18446744073709551615"), 18446744073709551615u);
  for (const char* bad : {"", "x", "-1", "1 ", "18446744073709551616"})
    EXPECT_THROW(x11::ParseSeed(bad), x11::BadInput) << bad;
}

}  // namespace
