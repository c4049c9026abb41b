// The intro's line lengths are defined by 80-bit extended arithmetic: x / q,
// then times the tick, each rounded to a 64-bit significand, ties to even, and
// the product converted to an integer, ties to even. long double is not that
// format everywhere (64-bit on MSVC and ARM64, and the x87 precision can be
// lowered at run time), so this models the arithmetic exactly with integers.
#include <bit>

#include "core/MForm_unit.h"

namespace {

// significand * 2^exponent; a nonzero significand has its top bit set.
struct Extended {
  std::uint64_t significand = 0;
  int exponent = 0;
};

constexpr std::uint64_t kTopBit = 1ULL << 63;

// Rounds up an odd or more-than-half remainder; a carry out renormalises.
Extended RoundUpIf(bool up, Extended value) {
  if (up && ++value.significand == 0) {
    value.significand = kTopBit;
    ++value.exponent;
  }
  return value;
}

Extended Divide(std::uint64_t x, std::uint64_t q) {
  if (x == 0) return {};
  Extended quotient{x / q, 0};
  std::uint64_t remainder = x % q;
  // Long division, one bit at a time, until the significand is full.
  while (!(quotient.significand & kTopBit)) {
    remainder <<= 1;
    quotient.significand = quotient.significand << 1 | (remainder >= q);
    if (remainder >= q) remainder -= q;
    --quotient.exponent;
  }
  remainder <<= 1;
  const bool roundBit = remainder >= q;
  const bool sticky = remainder != (roundBit ? q : 0);
  return RoundUpIf(roundBit && (sticky || (quotient.significand & 1)), quotient);
}

Extended Multiply(Extended value, std::uint32_t factor) {
  if (value.significand == 0 || factor == 0) return {};
  const std::uint64_t low = (value.significand & 0xFFFFFFFF) * factor;
  const std::uint64_t high = (value.significand >> 32) * factor;
  const std::uint64_t productLow = low + (high << 32);
  const std::uint64_t productHigh = (high >> 32) + (productLow < low);
  if (productHigh == 0) {
    const int shift = std::countl_zero(productLow);
    return {productLow << shift, value.exponent - shift};
  }
  const int dropped = std::bit_width(productHigh);  // 1..32
  const std::uint64_t kept = productHigh << (64 - dropped) | productLow >> dropped;
  const std::uint64_t rest = productLow & ((1ULL << dropped) - 1);
  const std::uint64_t half = 1ULL << (dropped - 1);
  return RoundUpIf(rest > half || (rest == half && (kept & 1)),
                   {kept, value.exponent + dropped});
}

std::int64_t ToNearestInteger(Extended value) {
  if (value.significand == 0) return 0;
  if (value.exponent >= 0) return std::int64_t(value.significand << value.exponent);
  const int shift = -value.exponent;
  if (shift > 64) return 0;  // below one half
  if (shift == 64) return value.significand > kTopBit ? 1 : 0;
  const std::uint64_t whole = value.significand >> shift;
  const std::uint64_t fraction = value.significand & ((1ULL << shift) - 1);
  const std::uint64_t half = 1ULL << (shift - 1);
  return std::int64_t(whole + (fraction > half || (fraction == half && (whole & 1))));
}

}  // namespace

namespace MForm_unit {

std::int32_t RoundIntro(std::int32_t x, std::int32_t q, std::int32_t ticks) {
  if (x <= 0 || q <= 0 || ticks <= 0) return 0;
  const Extended quotient = Divide(std::uint64_t(x), std::uint64_t(q));
  return std::int32_t(ToNearestInteger(Multiply(quotient, std::uint32_t(ticks))));
}

}  // namespace MForm_unit
