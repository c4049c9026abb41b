// Which boards stay, go and start for a layout of monitors.
#include "win32/board_layout.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

using win32::MonitorPlace;

const MonitorPlace kPrimary{"\\\\.\\DISPLAY1", {0, 0, 1920, 1080}, true};
const MonitorPlace kLeft{"\\\\.\\DISPLAY2", {-1280, 0, 0, 1024}};
const MonitorPlace kRight{"\\\\.\\DISPLAY3", {1920, -200, 3200, 824}};
const MonitorPlace kAdded{"\\\\.\\DISPLAY4", {0, 1080, 1920, 2160}};

MonitorPlace Moved(MonitorPlace monitor, Rect area) { return monitor.area = area, monitor; }
MonitorPlace Named(MonitorPlace monitor, const char* device) { return monitor.device = device, monitor; }
MonitorPlace Primary(MonitorPlace monitor, bool primary) { return monitor.primary = primary, monitor; }

TEST(PlanBoardsTest, EachLayoutKeepsStopsAndStartsBoards) {
  constexpr std::nullopt_t kGoes = std::nullopt;
  struct Case {
    const char* what;
    std::vector<MonitorPlace> boards, layout;
    std::vector<std::optional<std::size_t>> kept;
    std::vector<std::size_t> started;
  } cases[] = {
      {"the start", {}, {kPrimary, kLeft, kRight}, {}, {1, 2}},
      {"one monitor alone", {}, {kPrimary}, {}, {}},
      {"nothing changed", {kLeft, kRight}, {kPrimary, kLeft, kRight}, {1, 2}, {}},
      {"listed in another order", {kLeft, kRight}, {kRight, kPrimary, kLeft}, {2, 0}, {}},
      {"one removed", {kLeft, kRight}, {kPrimary, kLeft}, {1, kGoes}, {}},
      {"one added", {kLeft, kRight}, {kPrimary, kLeft, kRight, kAdded}, {1, 2}, {3}},
      {"one moved", {kLeft, kRight}, {kPrimary, Moved(kLeft, {-1280, -1024, 0, 0}), kRight},
       {1, 2}, {}},
      {"a new resolution", {kLeft}, {kPrimary, Moved(kLeft, {-1024, 0, 0, 768})}, {1}, {}},
      {"numbered afresh", {kLeft, kRight}, {kPrimary, Named(kRight, "\\\\.\\DISPLAY2")},
       {kGoes, 1}, {}},
      {"a monitor became the primary", {kLeft},
       {Primary(kPrimary, false), Primary(kLeft, true)}, {kGoes}, {0}},
      {"all gone", {kLeft, kRight}, {kPrimary}, {kGoes, kGoes}, {}},
      {"no pixels", {}, {kPrimary, Moved(kAdded, {0, 1080, 0, 2160})}, {}, {}},
  };
  for (const Case& c : cases) {
    const win32::BoardPlan plan = win32::PlanBoards(c.boards, c.layout);
    EXPECT_EQ(plan.boards, c.kept) << c.what;
    EXPECT_EQ(plan.start, c.started) << c.what;
  }
}

}  // namespace
