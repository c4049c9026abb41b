#pragma once
// The Wayland binding of the saver's platform services, for the one output
// this process shows: frames go to its presenter, the cursor to its input,
// and the timer and close request are the board's loop's. The board makes
// one; the services reach it while it lives.
#include <optional>

#include "core/raster.h"
#include "core/run_loop.h"
#include "core/screen_picture.h"

namespace wayland {

class Presenter;
class Input;

class Binding {
 public:
  // The output's picture before the saver showed anything; none where the
  // compositor gives none, and the core then cuts the sample desktop.
  explicit Binding(std::optional<Raster> desktop);
  ~Binding();
  Binding(const Binding&) = delete;
  Binding& operator=(const Binding&) = delete;

  // Where frames and the cursor go from now on; null for nowhere.
  void Bind(Presenter* presenter, Input* input) { presenter_ = presenter, input_ = input; }
  RunLoop& Loop() { return loop_; }
  ScreenPicture& Screen() { return screen_; }
  Presenter* Frames() const { return presenter_; }
  Input* Pointer() const { return input_; }

 private:
  ScreenPicture screen_;
  RunLoop loop_;
  Presenter* presenter_ = nullptr;
  Input* input_ = nullptr;
};

}  // namespace wayland
