// A frame composed only where it changed must equal the frame composed
// whole, and the window, which receives only the damage, must show it too.
#include <random>

#include "core/TMForm.h"
#include "tests/core/test_support.h"

using namespace MForm_unit;

namespace {

class DamageLimited : public CoreTest {
 protected:
  // The whole frame composed from scratch for the current state.
  const Raster& FullFrame(bool lifted) {
    if (!full_) full_ = std::make_unique<Raster>();
    *full_ = *BlankFrame;
    std::swap(full_, BackBuffer);
    RenderFrame(lifted);
    std::swap(full_, BackBuffer);
    return *full_;
  }
  std::unique_ptr<Raster> full_;

  static std::int64_t DamagedArea() {
    std::int64_t area = 0;
    for (const Rect& r : FrameDamage) area += r.Width() * r.Height();
    return area;
  }
};

TEST_F(DamageLimited, EveryFrameEqualsTheWholeCompositionWithKeysAtRandomMoments) {
  struct Case {
    int width, height, ticks;
  };
  // Odd tile sizes, leftover strips, tiny tiles and a wide screen.
  const Case cases[] = {{1366, 768, 1200}, {801, 599, 2000}, {100, 75, 4000},
                        {67, 43, 4000},    {7, 5, 3000},     {1600, 900, 800}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    ResetState();
    SeedRandom(std::uint64_t(c.width) * 7919 + c.height);
    StartSaver(c.width, c.height);
    std::mt19937 keys(c.width ^ c.height);
    const std::int64_t screenArea = std::int64_t(c.width) * c.height;
    for (int tick = 1; tick <= c.ticks; ++tick) {
      // Now and then one or two key presses between ticks, at any point of a slide.
      for (int presses = keys() % 24 < 2 ? int(keys() % 2) + 1 : 0; presses > 0; --presses)
        ChooseMove();
      const bool lifted = IntroTicks >= kIntroLength;
      ComposeFrame();
      const Raster& expected = FullFrame(lifted);
      ASSERT_EQ(*BackBuffer, expected) << "tick " << tick;
      ASSERT_EQ(headless::Window(), expected) << "tick " << tick;
      // After the intro a tick touches a few cells, never the whole screen.
      if (lifted && c.width >= 100) {
        ASSERT_LT(DamagedArea(), screenArea / 4) << "tick " << tick;
      }
    }
  }
}

TEST_F(DamageLimited, RectanglesMergeWhereTheyOverlapAndStayApartElsewhere) {
  Damage damage;
  damage.Add({0, 0, 10, 10});
  damage.Add({20, 0, 30, 10});  // apart
  damage.Add({5, 5, 0, 20});    // inverted: nothing
  ASSERT_EQ(damage.Count(), 2);
  damage.Add({8, 8, 22, 12});  // bridges both
  ASSERT_EQ(damage.Count(), 1);
  EXPECT_EQ(*damage.begin(), (Rect{0, 0, 30, 12}));
  // Past its capacity it merges instead of dropping anything.
  for (int i = 0; i < 3 * Damage::kCapacity; ++i) damage.Add({100 * i + 100, 0, 100 * i + 101, 1});
  EXPECT_LE(damage.Count(), Damage::kCapacity);
  for (int i = 0; i < 3 * Damage::kCapacity; ++i) {
    const Rect pixel{100 * i + 100, 0, 100 * i + 101, 1};
    bool covered = false;
    for (const Rect& r : damage) covered |= Intersection(r, pixel) == pixel;
    EXPECT_TRUE(covered) << "pixel " << i;
  }
}

TEST_F(DamageLimited, APaintShowsTheLastFrameWithoutComposingAnother) {
  StartSaver(1024, 768);
  Tick(kIntroLength + 20);
  const Raster shown = *BackBuffer;
  headless::SetScreen(headless::Screen());  // a fresh, black window
  TMForm form;
  form.FormPaint({-50, -50, 2000, 2000});
  EXPECT_EQ(headless::Window(), shown);
  EXPECT_EQ(*BackBuffer, shown);
  EXPECT_EQ(IntroTicks, kIntroLength);
  EXPECT_EQ(headless::PresentCount(), 1);
}

}  // namespace
