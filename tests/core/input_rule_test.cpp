// When input ends the saver, as every binding feeds it: one table of event
// scripts, each after the ten ignored moves and a move that records (100, 100).
#include <sstream>
#include <string>

#include "core/TMForm.h"
#include "tests/core/test_support.h"

using namespace MForm_unit;

namespace {

struct Case {
  // m X,Y move, d N / u N button N down / up, l lost (l F,C: buttons F to
  // F + C - 1 alone), q close query, k key
  const char* script;
  int closesAt;        // the event after which the window is asked to close; -1 never
  bool cursorShown = false;
};

const Case kCases[] = {
    // The move rule: at least 3 pixels from the recorded point on both axes.
    {"m102,102", -1},
    {"m200,100", -1},  // 100 pixels straight right
    {"m100,700 m100,0", -1},
    {"m150,102 m102,150", -1},
    {"m103,103", 0, true},
    {"m97,97", 0, true},
    {"m101,101 m102,102 m103,103", 2, true},  // small movements add up
    // A press ends it when the last button held is let go.
    {"d1", -1},
    {"d1 u1", 1},
    {"d3 u3", 1},
    {"d9 u9", 1},  // a fifth button
    {"d1 d3 u1", -1},
    {"d1 d3 u1 u3", 3},
    {"d1 d1 u1", 2},  // a press seen twice is one button
    {"u2", 0},        // a release whose press came before the saver: a click
    // A release that will never come counts as one.
    {"d1 l", 1},
    {"d1 d2 l", 2},
    {"l", -1},
    {"l d1", -1},
    {"d1 d33 l0,32", -1},  // the pointer gone, a finger still down
    {"d1 d33 l0,32 u33", 3},
    // A move that would end it waits for the buttons too.
    {"d1 m103,103", -1},
    {"d1 m103,103 u1", 2},
    // So does the system's request to close.
    {"q", 0},
    {"d1 q", -1},
    {"d1 q u1", 2},
    // Keys never end it.
    {"k k", -1},
    {"d1 k u1", 2},
};

class InputRule : public CoreTest {
 protected:
  void Start() {
    ResetState();
    headless::SetScreen(NumberedPicture(256, 128));
    form_ = TMForm();
    form_.FormCreate(256, 128);
    form_.FormActivate();
    for (int i = 0; i < kIgnoredMouseMoves; ++i) form_.FormMouseMove(5000 * i, -3000 * i);
    form_.FormMouseMove(100, 100);
  }
  void Feed(const std::string& event) {
    std::istringstream in(event.substr(1));
    int a = 0, b = 0;
    char comma;
    switch (event[0]) {
      case 'm':
        in >> a >> comma >> b;
        return form_.FormMouseMove(a, b);
      case 'd':
        in >> a;
        return form_.FormMouseDown(a);
      case 'u':
        in >> a;
        return form_.FormMouseUp(a);
      case 'l':
        if (!(in >> a >> comma >> b)) return form_.FormMouseLost();
        return form_.FormMouseLost(a, b);
      case 'q':
        return form_.FormCloseQuery();
      case 'k':
        return form_.FormKeyPress();
    }
    FAIL() << "no such event: " << event;
  }
  TMForm form_;
};

TEST_F(InputRule, EndsAtTheLastReleaseOrMoveAndStandsStillWhileHeld) {
  for (const Case& c : kCases) {
    Start();
    const int hidden = headless::CursorCounter();
    std::istringstream script(c.script);
    int index = 0, closedAt = -1;
    for (std::string event; script >> event; ++index) {
      Feed(event);
      if (closedAt < 0 && headless::CloseRequested()) closedAt = index;
      // Between a press and the end, the frame stands still.
      if (form_.ButtonsHeld()) {
        const int shown = headless::PresentCount();
        form_.MTimerTimer();
        EXPECT_EQ(headless::PresentCount(), shown) << c.script;
        EXPECT_FALSE(headless::TimerEnabled()) << c.script;
      }
    }
    EXPECT_EQ(closedAt, c.closesAt) << c.script;
    EXPECT_EQ(headless::CursorCounter(), hidden + (c.cursorShown ? 1 : 0)) << c.script;
    if (c.closesAt < 0 && !form_.ButtonsHeld()) {
      form_.MTimerTimer();  // nothing held and no end: the ticks go on
      EXPECT_EQ(headless::PresentCount(), 1) << c.script;
    }
  }
}

}  // namespace
