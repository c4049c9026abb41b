#pragma once
// The program's one pseudo-random generator. The saver seeds it once from the
// clock; tests and the renderer seed it explicitly or script its answers.
#include <cstdint>

class RandomSource {
 public:
  virtual ~RandomSource() = default;
  virtual int Next(int n) = 0;  // uniform in [0, n)
};

int Random(int n);  // uniform in [0, n), n > 0
void SeedRandom(std::uint64_t seed);
void SeedRandomFromClock();
// Routes Random through a scripted source; nullptr restores the generator.
void UseRandomSource(RandomSource* source);
