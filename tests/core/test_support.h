#pragma once
// Shared helpers for the core tests: a scripted random source, recognisable
// desktop pictures, and a fixture that starts every test from program start.
#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <vector>
#include <initializer_list>

#include "headless/headless_platform.h"
#include "core/MForm_unit.h"
#include "core/random.h"

// Answers Random with a fixed script; running past its end fails the test.
class ScriptedRandom : public RandomSource {
 public:
  ScriptedRandom() = default;
  ScriptedRandom(std::initializer_list<int> answers) : answers_(answers) {}
  int Next(int n) override;
  bool Exhausted() const { return answers_.empty(); }

 private:
  std::deque<int> answers_;
};

// A picture whose every pixel has its own colour, none of them black or lavender.
Raster NumberedPicture(int width, int height);

class CoreTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // What the saver window's creation does, on a numbered picture of this size.
  void StartSaver(int width, int height);
  void Tick(int count = 1);
  // Replaces whatever was left of the previous script.
  void Script(std::initializer_list<int> answers) {
    random_ = ScriptedRandom(answers);
    UseRandomSource(&random_);
  }

  ScriptedRandom random_;
};

// Builds the board of an 8x8 grid by hand, without capturing anything: every
// cell at home, the given hole, and no move chosen yet.
void PlaceBoard(int tileWidth, int tileHeight, int holeCol, int holeRow);

// The intro's rounding worked out exactly in 128-bit integers: x / q rounded
// to a 64-bit significand, ties to even; times ticks, rounded again; then to
// the nearest integer, ties to even. For 0 <= x < 2^20, 0 < q < 2^12,
// 0 <= ticks < 2^12.
int ReferenceRound(int x, int q, int ticks);

// Runs `test` once with each form of the pixel loops this machine has: the
// portable one, which processors without SSSE3 run, and the shuffled one.
void ForEachPixelPath(const std::function<void()>& test);

// Lets a failed comparison of two rasters say something useful.
void PrintTo(const Raster& raster, std::ostream* out);
