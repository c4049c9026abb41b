// The start-up's pure rules: which road a command line takes, and how the
// preview's window handle is read.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <utility>
#include <string>

#include "win32/command_line.h"

namespace {

SaverMode ModeOf(const std::string& argument) { return DecideSaverMode(UpperAscii(argument)); }

TEST(SaverModeTest, IsOneByteWithFixedValues) {
  static_assert(sizeof(SaverMode) == 1);
  EXPECT_EQ(int(smPassword), 0);
  EXPECT_EQ(int(smPreview), 1);
  EXPECT_EQ(int(smConfigure), 2);
  EXPECT_EQ(int(smRun), 3);
}

TEST(UpperAsciiTest, ChangesAsciiLettersOnly) {
  EXPECT_EQ(UpperAscii("/c:4711 az"), "/C:4711 AZ");
  EXPECT_EQ(UpperAscii("\xe9t\xe9"), "\xe9T\xe9");
  EXPECT_EQ(UpperAscii(""), "");
}

TEST(DecideSaverModeTest, NoArgumentConfigures) { EXPECT_EQ(ModeOf(""), smConfigure); }

TEST(DecideSaverModeTest, ConfigureSwitches) {
  for (const char* argument : {"/c", "-C", "c:4711", "C", "/C:4711", "/c:1234", "-c", "config"}) {
    EXPECT_EQ(ModeOf(argument), smConfigure) << argument;
  }
}

TEST(DecideSaverModeTest, EverythingElseRuns) {
  for (const char* argument : {"/s", "/S", "-s", "s", "/x", "hello", "/", "-", "x/c", " /c"}) {
    EXPECT_EQ(ModeOf(argument), smRun) << argument;
  }
}

TEST(DecideSaverModeTest, PasswordSwitches) {
  for (const char* argument : {"/a", "-A", "a", "/A:12"}) {
    EXPECT_EQ(ModeOf(argument), smPassword) << argument;
  }
}

TEST(DecideSaverModeTest, PreviewSwitches) {
  for (const char* argument : {"/p", "P", "-p", "/P:1234", "preview"}) {
    EXPECT_EQ(ModeOf(argument), smPreview) << argument;
  }
}

TEST(DecideSaverModeTest, OnlyTheLeadingCharactersCount) {
  // Each test reads only the first one or two characters; a later match wins.
  EXPECT_EQ(ModeOf("/pc"), smPreview);
  EXPECT_EQ(ModeOf("ca"), smConfigure);
  EXPECT_EQ(ModeOf("ac"), smPassword);
  EXPECT_EQ(ModeOf("-/c"), smRun);
}

struct Converted {
  HandleConversion result;
  std::int32_t handle;
};

Converted Convert(const std::string& text) {
  std::int32_t handle = -777;
  const HandleConversion result = ConvertHandle(text, handle);
  return {result, handle};
}

void ExpectHandle(const std::string& text, std::int32_t expected) {
  const Converted c = Convert(text);
  EXPECT_EQ(c.result, HandleConversion::Ok) << text;
  EXPECT_EQ(c.handle, expected) << text;
}

void ExpectError(const std::string& text, HandleConversion error) {
  const Converted c = Convert(text);
  EXPECT_EQ(c.result, error) << text;
  EXPECT_EQ(c.handle, -777) << "handle written for " << text;
}

TEST(ConvertHandleTest, Decimal) {
  ExpectHandle("1234", 1234);
  ExpectHandle("0", 0);
  ExpectHandle("+17", 17);
  ExpectHandle("-0", 0);
  ExpectHandle("007", 7);
  ExpectHandle("2147483647", 2147483647);
}

TEST(ConvertHandleTest, LeadingBlanksAreSkipped) {
  ExpectHandle("   42", 42);
  ExpectHandle(" \t+42", 42);
}

TEST(ConvertHandleTest, Hexadecimal) {
  ExpectHandle("$1F", 31);
  ExpectHandle("x1f", 31);
  ExpectHandle("X1F", 31);
  ExpectHandle("0x1f", 31);
  ExpectHandle("0XaBc", 0xABC);
  ExpectHandle("$7FFFFFFF", 2147483647);
  ExpectHandle("$00000010", 16);
  ExpectHandle("+$10", 16);
  // The sign applies to the 32-bit value the digits make.
  ExpectHandle("-$FFFFFFFF", 1);
}

TEST(ConvertHandleTest, ConversionErrors) {
  for (const char* text : {"", " ", "12a", "99999999999", "2147483648", "4294967296", "+", "-",
                           "$", "0x", "x", "$123456789", "$FG", "12 ", "1 2", "1.5", "--1",
                           "+-1", "0x-1", "$ 1", "-2147483649"}) {
    ExpectError(text, HandleConversion::ConversionError);
  }
}

TEST(ConvertHandleTest, NegativeValuesAreRangeErrors) {
  for (const char* text : {"-5", "-1", "-2147483648", "$FFFFFFFF", "$80000000", "0x80000000",
                           "-$1", "-x7FFFFFFF"}) {
    ExpectError(text, HandleConversion::RangeError);
  }
}

TEST(BoardArgumentTest, OnlyTheBoardSwitchAsksForABoard) {
  // What the host sends never does; a first argument that begins as the
  // switch does, well formed or not.
  for (const char* argument : {"/s", "/S", "s", "/c", "/c:1234", "/p", "/a", "", "/x", "hello",
                               "/b", "/board", "board:1,2", "-board:1,2", " /board:1,2"})
    EXPECT_FALSE(AsksForBoard(UpperAscii(argument))) << argument;
  for (const char* argument : {"/board:1,2", "/BOARD:", "/Board:x"}) EXPECT_TRUE(AsksForBoard(UpperAscii(argument)));
}

TEST(BoardArgumentTest, TwoHandlesInDecimal) {
  const std::optional<BoardArgument> kNone;
  const std::pair<const char*, std::optional<BoardArgument>> cases[] = {
      {"/board:12,34", BoardArgument{12, 34}}, {"/BOARD:4294967295,1", BoardArgument{4294967295u, 1}},
      {"/BOARD:4294967296,1", kNone}, {"/BOARD:1,99999999999", kNone}, {"/BOARD:0,1", kNone},
      {"/BOARD:012,1", kNone}, {"/BOARD:1,", kNone}, {"/BOARD:,1", kNone}, {"/BOARD:1,2,", kNone},
      {"/BOARD:1 ,2", kNone}, {"/BOARD:+1,2", kNone}, {"/BOARD:1,2 ", kNone}, {"/BOARD:1;2", kNone},
      {"/BOARD:", kNone}, {"/BOARD:0x10,2", kNone}, {"/S", kNone}};
  for (const auto& [argument, handles] : cases)
    EXPECT_EQ(ParseBoardArgument(UpperAscii(argument)), handles) << argument;
}

TEST(SeedTest, DecimalDigitsOnly) {
  const std::optional<std::uint64_t> kNone;
  const std::pair<const char*, std::optional<std::uint64_t>> cases[] = {
      {"0", 0}, {"42", 42}, {"007", 7}, {"18446744073709551615", ~std::uint64_t(0)},
      {"18446744073709551616", kNone}, {"", kNone}, {"-1", kNone}, {"+1", kNone}, {"1x", kNone},
      {" 1", kNone}, {"seven", kNone}};
  for (const auto& [text, seed] : cases) EXPECT_EQ(SeedOfText(text), seed) << text;
}

}  // namespace
