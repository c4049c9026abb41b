#include "headless/render_options.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

RenderOptions Parse(std::vector<std::string> args) { return ParseOptions(args); }

TEST(RenderOptionsTest, DefaultsToTheSampleDesktopAtTheClock) {
  const RenderOptions options = Parse({});
  EXPECT_FALSE(options.help);
  EXPECT_FALSE(options.desktop);
  EXPECT_EQ(options.width, 1024);
  EXPECT_EQ(options.height, 768);
  EXPECT_FALSE(options.seed);
  EXPECT_EQ(options.ticks, 200);
  EXPECT_TRUE(options.frames.empty());
  EXPECT_TRUE(options.keys.empty());
  EXPECT_EQ(options.outDir, "out");
  EXPECT_FALSE(options.trace);
}

TEST(RenderOptionsTest, ReadsEveryOptionInAnyOrder) {
  const RenderOptions options =
      Parse({"--frame", "300", "--key", "120", "--sample", "--size", "1366x768", "--seed",
             "18446744073709551615", "--ticks", "300", "--frame", "1", "--frame", "300", "--key",
             "7", "--key", "120", "--out", "shots", "--trace", "run.jsonl"});
  EXPECT_EQ(options.width, 1366);
  EXPECT_EQ(options.height, 768);
  EXPECT_EQ(options.seed, 18446744073709551615u);
  EXPECT_EQ(options.ticks, 300);
  EXPECT_EQ(options.frames, (std::vector<int>{1, 300})) << "sorted, each once";
  EXPECT_EQ(options.keys, (std::vector<int>{7, 120, 120})) << "sorted, repeats kept";
  EXPECT_EQ(options.outDir, "shots");
  EXPECT_EQ(options.trace, "run.jsonl");

  EXPECT_EQ(Parse({"--desktop", "shot.png", "--seed", "0"}).desktop, "shot.png");
  EXPECT_TRUE(Parse({"--ticks", "5", "--help", "--bogus"}).help);
}

TEST(RenderOptionsTest, RefusesBadInputWithAClearReason) {
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"--ticks", "12x"}, "--ticks: not a number: \"12x\""},
      {{"--ticks", "0"}, "--ticks: out of range (1..2147483647): \"0\""},
      {{"--ticks", "99999999999"}, "--ticks: out of range"},
      {{"--ticks"}, "--ticks: missing value"},
      {{"--out", "--ticks", "5"}, "--out: missing value"},
      {{"--seed", "-1"}, "--seed: not a number: \"-1\""},
      {{"--seed", "18446744073709551616"}, "--seed: out of range"},
      {{"--size", "1024"}, "--size: not WxH: \"1024\""},
      {{"--size", "1024X768"}, "--size: not WxH"},
      {{"--frame", "0"}, "--frame: out of range (1..200): \"0\""},
      {{"--frame", "201"}, "--frame: out of range (1..200): \"201\""},
      {{"--frame", "5", "--ticks", "4"}, "--frame: out of range (1..4): \"5\""},
      {{"--key", "x"}, "--key: not a number: \"x\""},
      {{"--key", "201"}, "--key: out of range (1..200)"},
      {{"--desktop", "a.png", "--size", "64x64"}, "--size cannot be used with --desktop"},
      {{"--desktop", "a.png", "--sample"}, "--sample and --desktop exclude each other"},
      {{"--ticks", "5", "--ticks", "6"}, "--ticks: given more than once"},
      {{"--bogus"}, "unknown option: \"--bogus\""},
      {{"frames"}, "unexpected argument: \"frames\""},
  };
  for (const auto& c : cases) {
    try {
      Parse(c.args);
      ADD_FAILURE() << "accepted: " << testing::PrintToString(c.args);
    } catch (const BadInput& error) {
      EXPECT_EQ(std::string(error.what()).substr(0, c.message.size()), c.message)
          << testing::PrintToString(c.args);
    }
  }
}

// The size limit holds on each side alone, too small and too large.
TEST(RenderOptionsTest, SizeLimitsHoldOnEachSide) {
  for (const char* size : {"0x768", "1024x0", "16385x1", "1x16385", "16385x16385"}) {
    try {
      Parse({"--size", size});
      ADD_FAILURE() << "accepted " << size;
    } catch (const BadInput& error) {
      EXPECT_EQ(std::string(error.what()),
                std::string("--size: out of range (1..16384 on each side): \"") + size + "\"");
    }
  }
  for (const auto& [size, width, height] :
       {std::tuple("1x1", 1, 1), std::tuple("16384x1", 16384, 1), std::tuple("1x16384", 1, 16384),
        std::tuple("16384x16384", 16384, 16384)}) {
    const RenderOptions options = Parse({"--size", size});
    EXPECT_EQ(options.width, width) << size;
    EXPECT_EQ(options.height, height) << size;
  }
}

}  // namespace
