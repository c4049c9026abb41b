#include "wayland/wayland_platform.h"

#include <cstdio>
#include <utility>

#include "core/MForm_unit.h"
#include "core/services.h"
#include "wayland/input.h"
#include "wayland/presenter.h"

namespace {

wayland::Binding* bound = nullptr;

}  // namespace

namespace wayland {

Binding::Binding(std::optional<Raster> desktop) {
  screen_.Keep(std::move(desktop));
  bound = this;
}

Binding::~Binding() { bound = nullptr; }

}  // namespace wayland

namespace platform {

bool OpenScreen() { return bound->Screen().Open(MForm_unit::ScreenWidth, MForm_unit::ScreenHeight); }

void CopyScreenRect(int left, int top, Raster& into) { bound->Screen().Copy(left, top, into); }

void CloseScreen() { bound->Screen().Close(); }

void PresentFrame(const Raster& frame, const Damage& damage) {
  if (bound->Frames() != nullptr && !damage.Empty()) bound->Frames()->Present(frame, damage);
}

void EnableTimer(bool enabled) { bound->Loop().EnableTimer(enabled); }

int ShowCursor(bool show) {
  const int counter = bound->Loop().ShowCursor(show);
  if (bound->Pointer() != nullptr) bound->Pointer()->HidePointer(bound->Loop().CursorHidden());
  return counter;
}

void CloseSaverWindow() { bound->Loop().RequestClose(); }

void ReportFailure(const std::string& message) {
  std::fprintf(stderr, "quillmere-wayland: %s\n", message.c_str());
}

}  // namespace platform
