#include <stdexcept>
#include <vector>

#include "core/random.h"

#include "core/services.h"
#include "core/TMForm.h"
#include "tests/core/test_support.h"

using namespace MForm_unit;

namespace {

class SaverWindow : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    headless::SetScreen(NumberedPicture(256, 128));
    form_.FormCreate(256, 128);
    form_.FormActivate();
  }
  void IgnoreFirstMoves() {
    for (int i = 0; i < kIgnoredMouseMoves; ++i) form_.FormMouseMove(5000 * i, -3000 * i);
  }
  TMForm form_;
};

TEST_F(SaverWindow, CreationBuildsTheBoardOverTheWholeScreen) {
  EXPECT_EQ(BackBuffer->Width(), 256);
  EXPECT_EQ(BlankFrame->Height(), 128);
  EXPECT_EQ(TileWidth, 32);
  EXPECT_EQ(IntroTicks, 0);
  EXPECT_FALSE(form_.FirstActivate);
}

TEST_F(SaverWindow, TheFirstTenMovesAreIgnoredAndTheEleventhOnlyRecords) {
  IgnoreFirstMoves();
  EXPECT_EQ(form_.LastMouseX, -1);
  EXPECT_FALSE(headless::CloseRequested());
  form_.FormMouseMove(40, 50);
  EXPECT_EQ(form_.LastMouseX, 40);
  EXPECT_EQ(form_.LastMouseY, 50);
  EXPECT_FALSE(headless::CloseRequested());
}

TEST_F(SaverWindow, IgnoredMovesAreCountedOncePerProcess) {
  IgnoreFirstMoves();
  TMForm second;
  second.FormCreate(256, 128);
  second.FormActivate();
  second.FormMouseMove(10, 10);
  EXPECT_EQ(second.LastMouseX, 10);
}

TEST_F(SaverWindow, AKeyChoosesTheMoveAfreshAndNeverCloses) {
  for (int press = 0; press < 20; ++press) {
    const int direction = Direction;
    form_.FormKeyPress();
    EXPECT_EQ(PrevDirection, direction);
    EXPECT_EQ(std::abs(MoverCol - HoleCol) + std::abs(MoverRow - HoleRow), 1);
  }
  EXPECT_FALSE(headless::CloseRequested());
}

TEST_F(SaverWindow, ActivationHidesTheCursorHoweverOftenItWasShown) {
  for (int i = 0; i < 5; ++i) platform::ShowCursor(true);
  form_.FormMouseMove(1, 1);
  form_.FormActivate();
  EXPECT_EQ(headless::CursorCounter(), -1);
  EXPECT_EQ(MouseMovesToIgnore, kIgnoredMouseMoves - 1);
}

TEST_F(SaverWindow, TheRecordIsResetOnlyOnTheFirstActivation) {
  IgnoreFirstMoves();
  form_.FormMouseMove(30, 30);
  form_.FormActivate();
  EXPECT_EQ(form_.LastMouseX, 30);
}

TEST_F(SaverWindow, AfterADisplayChangeTheNextMoveOnlyRecords) {
  IgnoreFirstMoves();
  form_.FormMouseMove(100, 100);
  form_.FormDisplayChange(256, 128);
  form_.FormMouseMove(300, 300);  // where the same pointer now reads
  EXPECT_FALSE(headless::CloseRequested());
  form_.FormMouseMove(303, 303);
  EXPECT_TRUE(headless::CloseRequested());
}

class FailingRandom : public RandomSource {
 public:
  int Next(int) override { throw std::runtime_error("no more numbers"); }
};

TEST_F(SaverWindow, AFailingTickIsReportedAndTheTimerRunsOn) {
  for (int tick = 0; tick < kIntroLength; ++tick) form_.MTimerTimer();
  FailingRandom failing;
  UseRandomSource(&failing);
  // The first move completes within a tile's length; choosing the next fails.
  for (int tick = 0; tick < 40 && headless::Failures().empty(); ++tick) form_.MTimerTimer();
  ASSERT_EQ(headless::Failures().size(), 1u);
  EXPECT_EQ(headless::Failures()[0], "no more numbers");
  EXPECT_TRUE(headless::TimerEnabled());
  form_.FormKeyPress();
  EXPECT_EQ(headless::Failures().size(), 2u);
}

TEST_F(SaverWindow, ClosingReleasesTheFramesAndLaterTicksDrawNothing) {
  form_.MTimerTimer();
  form_.FormClose();
  EXPECT_EQ(BackBuffer, nullptr);
  EXPECT_EQ(BlankFrame, nullptr);
  form_.MTimerTimer();
  EXPECT_EQ(headless::PresentCount(), 1);
}

TEST_F(SaverWindow, WhileTheDisplayIsOffNothingIsDrawnAndBackOnAllIsShownAgain) {
  for (DisplayPower back : {DisplayPower::On, DisplayPower::Dimmed}) {
    ResetState();
    SetUp();
    form_.MTimerTimer();
    form_.FormDisplayPower(DisplayPower::Off);
    for (int tick = 0; tick < 5; ++tick) form_.MTimerTimer();
    EXPECT_EQ(IntroTicks, 1);
    EXPECT_EQ(headless::PresentCount(), 1);
    EXPECT_FALSE(headless::TimerEnabled());
    headless::SetScreen(NumberedPicture(256, 128));  // the dark display kept nothing
    platform::EnableTimer(false);  // as it was before that reset
    form_.FormDisplayPower(back);
    EXPECT_EQ(headless::PresentCount(), 1);
    EXPECT_EQ(headless::Window(), *BackBuffer);
    EXPECT_TRUE(headless::TimerEnabled());
  }
}

// The frames a form shows over its first `ticks` ticks.
std::vector<Raster> Frames(TMForm& form, int ticks) {
  std::vector<Raster> frames;
  for (int tick = 0; tick < ticks; ++tick) {
    form.MTimerTimer();
    frames.push_back(headless::Window());
  }
  return frames;
}

TEST_F(SaverWindow, AFixedSeedReplaysTheRendererOrderFrameForFrame) {
  constexpr int kTicks = kIntroLength + 20;
  // The renderer's order: size, frame buffers, seed, board.
  ResetState();
  headless::SetScreen(NumberedPicture(256, 128));
  ScreenWidth = 256, ScreenHeight = 128;
  CreateFrameBuffers();
  SeedRandom(7);
  BuildBoard();
  std::vector<Raster> expected;
  for (int tick = 0; tick < kTicks; ++tick) {
    ComposeFrame();
    expected.push_back(headless::Window());
  }
  for (std::uint64_t seed : {7, 8}) {
    ResetState();
    headless::SetScreen(NumberedPicture(256, 128));
    TMForm seeded;
    seeded.Seed = seed;
    seeded.FormCreate(256, 128);
    EXPECT_EQ(Frames(seeded, kTicks) == expected, seed == 7) << seed;
  }
}

TEST_F(SaverWindow, AResizeRebuildsTheBoardAsAFreshWindowOfThatSize) {
  constexpr int kTicks = kIntroLength + 30;
  form_.Seed = 3;
  for (int tick = 0; tick < kIntroLength + 5; ++tick) form_.MTimerTimer();
  form_.FormKeyPress();
  headless::SetScreen(NumberedPicture(120, 72));
  form_.FormResize(120, 72);
  EXPECT_EQ(BackBuffer->Width(), 120);
  EXPECT_EQ(TileWidth, 15);
  EXPECT_EQ(TileHeight, 9);
  EXPECT_EQ(IntroTicks, 0);
  const std::vector<Raster> resized = Frames(form_, kTicks);

  ResetState();
  headless::SetScreen(NumberedPicture(120, 72));
  TMForm fresh;
  fresh.Seed = 3;
  fresh.FormCreate(120, 72);
  EXPECT_TRUE(Frames(fresh, kTicks) == resized);
}

}  // namespace
