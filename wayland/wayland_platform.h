#pragma once
// The Wayland binding of the saver's platform services, for the one output
// this process shows: frames go to its presenter, the cursor to its input.
#include <optional>

#include "core/raster.h"
#include "wayland/connection.h"

namespace wayland {

class Presenter;
class Input;

// The output's picture before the saver showed anything; unset where the
// compositor gives none, and the core then cuts the sample desktop.
void SetDesktop(std::optional<Raster> picture);
void BindOutput(Presenter* presenter, Input* input);
// When the next tick is due; unset while the timer is stopped.
std::optional<Clock::time_point> TimerDeadline();
bool CloseRequested();

}  // namespace wayland
