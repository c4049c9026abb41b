#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

#include "core/MForm_unit.h"

namespace {

using MForm_unit::RoundIntro;

// x * ticks / q rounded once, exactly, ties to even: what a naive
// implementation would give.
int ExactRound(int x, int q, int ticks) {
  const long long n = 1LL * x * ticks;
  long long whole = n / q;
  const long long twice = 2 * (n % q);
  if (twice > q || (twice == q && (whole & 1))) ++whole;
  return int(whole);
}

TEST(RoundIntro, WorkedValues) {
  struct Case {
    int x, q, ticks, expected;
  } cases[] = {
      {75, 100, 2, 2},    {75, 100, 6, 4},     {210, 100, 15, 31},  {60, 200, 95, 29},
      {128, 100, 1, 1},   {96, 100, 1, 1},     {96, 200, 1, 0},     {128, 100, 50, 64},
      {96, 100, 50, 48},  {96, 200, 50, 24},   {128, 100, 99, 127}, {96, 100, 99, 95},
      {96, 200, 99, 48},  {128, 100, 100, 128}, {75, 200, 100, 38}, {0, 100, 50, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RoundIntro(c.x, c.q, c.ticks), c.expected)
        << "R(" << c.x << ", " << c.q << ") at tick " << c.ticks;
}

// Over the whole intro, the extended arithmetic agrees with exact rounding
// except where its quotient falls just short of a half: on 210-pixel tiles the
// lines come out one pixel shorter at ticks 15, 55 and 95.
TEST(RoundIntro, LineLengthsOverTheWholeIntro) {
  struct Case {
    int x, q;
    std::map<int, int> shortBy;
  } cases[] = {
      {128, 100, {}}, {96, 100, {}}, {96, 200, {}},
      {100, 100, {}}, {75, 100, {}}, {75, 200, {}},
      {210, 100, {{15, 1}, {55, 1}, {95, 1}}}, {131, 100, {}}, {131, 200, {}},
      {60, 200, {{95, -1}}},
  };
  for (const Case& c : cases) {
    for (int ticks = 1; ticks <= 100; ++ticks) {
      const auto deviation = c.shortBy.find(ticks);
      const int expected =
          ExactRound(c.x, c.q, ticks) - (deviation == c.shortBy.end() ? 0 : deviation->second);
      EXPECT_EQ(RoundIntro(c.x, c.q, ticks), expected)
          << "R(" << c.x << ", " << c.q << ") at tick " << ticks;
    }
  }
}

// Where the compiler's long double is the x87 extended format, it is the
// reference itself: compare every tile size a screen up to 32768 wide can give.
TEST(RoundIntro, MatchesHardwareExtendedPrecision) {
  if (std::numeric_limits<long double>::digits != 64)
    GTEST_SKIP() << "long double is not the 64-bit-significand format here";
  for (int q : {100, 200, 7, 3}) {
    for (int x = 0; x <= 4096; ++x) {
      for (int ticks = 0; ticks <= 100; ++ticks) {
        volatile long double quotient = static_cast<long double>(x) / q;
        volatile long double product = quotient * ticks;
        const auto reference = static_cast<int>(std::nearbyintl(product));
        ASSERT_EQ(RoundIntro(x, q, ticks), reference)
            << "R(" << x << ", " << q << ") at tick " << ticks;
      }
    }
  }
}

}  // namespace
