#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/MForm_unit.h"
#include "tests/core/test_support.h"

namespace {

using MForm_unit::RoundIntro;

// The reference itself, on the worked values: halves go to the even
// neighbour, and the 64-bit quotient puts 210/100 * 15 just below 31.5 and
// 60/200 * 95 just above 28.5.
TEST(RoundIntro, ReferenceGivesTheWorkedValues) {
  EXPECT_EQ(ReferenceRound(75, 100, 2), 2);
  EXPECT_EQ(ReferenceRound(75, 100, 6), 4);
  EXPECT_EQ(ReferenceRound(210, 100, 15), 31);
  EXPECT_EQ(ReferenceRound(60, 200, 95), 29);
  EXPECT_EQ(ReferenceRound(0, 100, 50), 0);
}

// The code against the reference over every tile side a screen up to 32768
// pixels wide can give; where long double is the 64-bit-significand format,
// the hardware checks the reference as well.
TEST(RoundIntro, MatchesTheReferenceAndTheHardwareOnEveryTick) {
  const bool hardware = std::numeric_limits<long double>::digits == 64;
  for (int q : {100, 200, 7, 3}) {
    for (int x = 0; x <= 4096; ++x) {
      for (int ticks = 0; ticks <= 100; ++ticks) {
        const int reference = ReferenceRound(x, q, ticks);
        ASSERT_EQ(RoundIntro(x, q, ticks), reference) << "R(" << x << ", " << q << ") at " << ticks;
        if (!hardware) continue;
        volatile long double quotient = static_cast<long double>(x) / q;
        volatile long double product = quotient * ticks;
        ASSERT_EQ(reference, static_cast<int>(std::nearbyintl(product)))
            << "reference R(" << x << ", " << q << ") at " << ticks;
      }
    }
  }
}

}  // namespace
