#include "win32/board_layout.h"

namespace win32 {

BoardPlan PlanBoards(const std::vector<MonitorPlace>& boards,
                     const std::vector<MonitorPlace>& layout) {
  BoardPlan plan;
  plan.boards.resize(boards.size());
  std::vector<bool> taken(layout.size());
  for (std::size_t m = 0; m < layout.size(); ++m)
    taken[m] = layout[m].primary || layout[m].area.Width() <= 0 || layout[m].area.Height() <= 0;
  // Each way of knowing a monitor again, the surest first.
  const auto same = [&](auto matches) {
    for (std::size_t b = 0; b < boards.size(); ++b)
      for (std::size_t m = 0; m < layout.size() && !plan.boards[b]; ++m)
        if (!taken[m] && matches(boards[b], layout[m])) plan.boards[b] = m, taken[m] = true;
  };
  same([](const MonitorPlace& was, const MonitorPlace& is) { return was == is; });
  same([](const MonitorPlace& was, const MonitorPlace& is) { return was.area == is.area; });
  same([](const MonitorPlace& was, const MonitorPlace& is) { return was.device == is.device; });
  for (std::size_t m = 0; m < layout.size(); ++m)
    if (!taken[m]) plan.start.push_back(m);
  return plan;
}

}  // namespace win32
