#include "core/random.h"

#include <chrono>

namespace {

// PCG32 (XSH-RR): small, fast and the same on every compiler.
class Pcg32 {
 public:
  void Seed(std::uint64_t seed) {
    state_ = 0;
    Next();
    state_ += seed;
    Next();
  }
  std::uint32_t Next() {
    const std::uint64_t old = state_;
    state_ = old * 6364136223846793005ULL + kIncrement;
    const auto xorshifted = std::uint32_t(((old >> 18) ^ old) >> 27);
    const auto rotation = unsigned(old >> 59);
    return xorshifted >> rotation | xorshifted << ((32 - rotation) & 31);
  }

 private:
  static constexpr std::uint64_t kIncrement = 1442695040888963407ULL;
  std::uint64_t state_ = 0x853C49E6748FEA9BULL;
};

Pcg32 generator;
RandomSource* override = nullptr;

}  // namespace

int Random(int n) {
  if (override) return override->Next(n);
  // Lemire's multiply-and-reject: unbiased for every n.
  const auto range = std::uint32_t(n);
  std::uint64_t product = std::uint64_t(generator.Next()) * range;
  if (std::uint32_t(product) < range) {
    const std::uint32_t threshold = (0u - range) % range;
    while (std::uint32_t(product) < threshold)
      product = std::uint64_t(generator.Next()) * range;
  }
  return int(product >> 32);
}

void SeedRandom(std::uint64_t seed) { generator.Seed(seed); }

void SeedRandomFromClock() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  SeedRandom(std::uint64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
}

void UseRandomSource(RandomSource* source) { override = source; }
