#include "core/run_loop.h"

#include <algorithm>
#include <cstdint>

#include "core/TMForm.h"

void RunLoop::EnableTimer(bool enabled) {
  if (enabled)
    deadline_ = Clock::now() + std::chrono::milliseconds(MForm_unit::kTimerInterval);
  else
    deadline_.reset();
}

int RunLoop::Timeout(Clock::time_point now, std::optional<Clock::time_point> also) const {
  std::optional<Clock::time_point> until = deadline_;
  if (also) until = until ? std::min(*until, *also) : *also;
  return MillisecondsUntil(now, until);
}

int RunLoop::MillisecondsUntil(Clock::time_point now, std::optional<Clock::time_point> until) {
  if (!until) return -1;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(*until - now);
  return int(std::clamp<std::int64_t>(left.count(), 0, 1 << 30));
}
