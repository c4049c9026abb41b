#include "wayland/output_saver.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>

#include "core/TMForm.h"
#include "core/orientation.h"
#include "core/services.h"
#include "wayland/layer_shell.h"
#include "protocols/wlr-screencopy-unstable-v1.h"
#include "wayland/capture.h"
#include "wayland/connection.h"
#include "wayland/input.h"
#include "wayland/kwin_screenshot.h"
#include "wayland/presenter.h"
#include "wayland/wayland_platform.h"

namespace wayland {

namespace {

using MForm_unit::DisplayPower;

// A commit whose frame callback takes this long means the output is off or
// hidden: the animation waits until callbacks come again.
constexpr auto kNoCallbacks = std::chrono::milliseconds(250);
// A new scale goes with the configure that follows it; where none follows
// (the surface keeps its size in the compositor's units), it goes alone
// after this.
constexpr auto kScaleAlone = std::chrono::milliseconds(250);

// What the output says of itself, as of its last done event.
struct OutputInfo {
  int scale = 1, pendingScale = 1;
  std::string name;  // the compositor's, for KWin's screenshot
  Orientation shown = Orientation::kNormal, pendingShown = Orientation::kNormal;
};

// The transform is what the compositor does to the pixels it sends the
// output; the picture the user sees is the output's pixels undone by it.
void OnGeometry(void* data, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                std::int32_t, const char*, const char*, std::int32_t transform) {
  const Orientation applied = transform >= 0 && transform < 8 ? Orientation(transform) : Orientation::kNormal;
  static_cast<OutputInfo*>(data)->pendingShown = Inverse(applied);
}

const wl_output_listener kOutputListener = {
    OnGeometry, Ignore,
    [](void* data, wl_output*) {
      auto* info = static_cast<OutputInfo*>(data);
      info->scale = std::clamp(info->pendingScale, 1, 16);
      info->shown = info->pendingShown;
    },
    [](void* data, wl_output*, std::int32_t factor) { static_cast<OutputInfo*>(data)->pendingScale = factor; },
    [](void* data, wl_output*, const char* name) { static_cast<OutputInfo*>(data)->name = name; }, Ignore};

struct LayerState {
  int width = 0, height = 0;  // in surface units; 0 where the compositor gave none
  bool configured = false, closed = false;
  // Acknowledged once buffers of the new size are made, so that no commit
  // answers it with one of the old size.
  std::optional<std::uint32_t> unanswered;
};

const zwlr_layer_surface_v1_listener kLayerListener = {
    [](void* data, zwlr_layer_surface_v1*, std::uint32_t serial, std::uint32_t width,
       std::uint32_t height) {
      auto* state = static_cast<LayerState*>(data);
      state->width = int(std::min<std::uint32_t>(width, 1 << 20));
      state->height = int(std::min<std::uint32_t>(height, 1 << 20));
      state->configured = true;
      state->unanswered = serial;
    },
    [](void* data, zwlr_layer_surface_v1*) { static_cast<LayerState*>(data)->closed = true; }};

template <typename T>
T* Bind(Connection& connection, const wl_interface& interface, std::uint32_t version,
        std::uint32_t name = 0) {
  return static_cast<T*>(connection.Bind(interface, version, name));
}

// The covering surface: the overlay layer over the whole output, taking the
// keyboard from every window beneath.
zwlr_layer_surface_v1* Cover(zwlr_layer_shell_v1* shell, wl_surface* surface, wl_output* output,
                             LayerState& state) {
  zwlr_layer_surface_v1* layer = zwlr_layer_shell_v1_get_layer_surface(
      shell, surface, output, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "quillmere");
  zwlr_layer_surface_v1_set_anchor(layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                              ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT |
                                              ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
  zwlr_layer_surface_v1_set_exclusive_zone(layer, -1);
  zwlr_layer_surface_v1_set_keyboard_interactivity(
      layer, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
  zwlr_layer_surface_v1_add_listener(layer, &kLayerListener, &state);
  wl_surface_commit(surface);  // no buffer yet: asks for the first configure
  return layer;
}

// An output of a size the saver cannot show is left as it is, in one line;
// the other outputs' boards go on.
[[noreturn]] void LeaveAlone(int width, int height, const std::string& why) {
  throw std::runtime_error("an output of " + std::to_string(width) + " x " + std::to_string(height) +
                           " pixels is left alone: " + why);
}

}  // namespace

int RunOutput(std::uint32_t outputName, std::optional<std::uint64_t> seed, int signalFd) {
  Connection connection(signalFd);
  auto* compositor = Bind<wl_compositor>(connection, wl_compositor_interface, 4);
  auto* shm = Bind<wl_shm>(connection, wl_shm_interface, 1);
  auto* shell = Bind<zwlr_layer_shell_v1>(connection, zwlr_layer_shell_v1_interface, 4);
  auto* copier = Bind<zwlr_screencopy_manager_v1>(connection, zwlr_screencopy_manager_v1_interface, 3);
  auto* seat = Bind<wl_seat>(connection, wl_seat_interface, 5);
  auto* output = Bind<wl_output>(connection, wl_output_interface, 4, outputName);
  if (output == nullptr) return kOutputGone;  // gone between the fork and now
  if (compositor == nullptr || shm == nullptr || shell == nullptr)
    throw BadSurroundings("the compositor withdrew what the saver needs");
  bool outputGone = false;
  connection.onGlobalRemoved = [&](std::uint32_t name) { outputGone |= name == outputName; };
  OutputInfo info;
  wl_output_add_listener(output, &kOutputListener, &info);
  // Listening from the start: an event to an object without a listener is lost.
  MForm_unit::TMForm form;
  form.Seed = seed;
  Input input(seat, form);
  connection.Roundtrip();

  // The picture first: nothing of ours is on this output yet.
  Binding binding(copier ? CaptureOutput(connection, copier, shm, output, info.shown)
                         : CaptureScreen(info.name, signalFd));
  RunLoop& loop = binding.Loop();
  wl_surface* surface = wl_compositor_create_surface(compositor);
  LayerState layer;
  zwlr_layer_surface_v1* cover = Cover(shell, surface, output, layer);
  connection.WaitFor([&] { return layer.configured || layer.closed; }, "the saver's surface");
  if (layer.closed) return kOutputGone;

  Presenter presenter(shm, surface, wl_compositor_get_version(compositor) >= 4);
  binding.Bind(&presenter, &input);
  // The board is the surface's size times the output's scale, in pixels.
  int width = 0, height = 0, scale = 0;
  // When a new scale that waits for its configure goes alone.
  constexpr auto kNone = Clock::time_point::max();
  Clock::time_point scaleAlone = kNone;
  const auto follow = [&](Clock::time_point now) {  // true if the pixel size changed
    if (info.scale == scale)
      scaleAlone = kNone;
    else if (scaleAlone == kNone)
      scaleAlone = now + kScaleAlone;
    if (!layer.unanswered && now < scaleAlone) return false;
    if (layer.unanswered) zwlr_layer_surface_v1_ack_configure(cover, *layer.unanswered);
    layer.unanswered.reset();
    scaleAlone = kNone;
    const int w = layer.width * info.scale, h = layer.height * info.scale;
    if (w == width && h == height && info.scale == scale) return false;
    const bool pixels = w != width || h != height;
    try {
      if (w == 0 || h == 0) throw std::runtime_error("the compositor gave it no size");
      presenter.Resize(w, h, info.scale);
    } catch (const std::runtime_error& error) {
      LeaveAlone(w, h, error.what());
    }
    width = w, height = h, scale = info.scale;
    input.SetScale(scale);
    return pixels;
  };
  const auto build = [&](bool first) {
    try {
      first ? form.FormCreate(width, height) : form.FormResize(width, height);
    } catch (const std::bad_alloc&) {
      LeaveAlone(width, height, "no memory for its board");
    }
  };
  follow(Clock::now());
  build(true);
  platform::EnableTimer(true);
  form.FormActivate();

  // Nothing is shown before the first tick: a signal that came while the
  // board was made ends it before that.
  bool stop = connection.Wait(Clock::now(), signalFd);
  int status = kEnded;
  while (!stop) {
    if (layer.closed || outputGone) {
      status = kOutputGone;
      break;
    }
    if (loop.CloseRequested()) break;
    const auto now = Clock::now();
    if (follow(now)) build(false);
    const auto waiting = presenter.WaitingSince();
    if (form.DisplayOff && !waiting)
      form.FormDisplayPower(DisplayPower::On);
    else if (!form.DisplayOff && waiting && now - *waiting >= kNoCallbacks)
      form.FormDisplayPower(DisplayPower::Off);
    input.Repeat(now);
    if (loop.TickDue(now)) {
      form.MTimerTimer();
      continue;
    }
    // Woken for the tick, a key's repeat or the frame callback overdue; while
    // the timer runs, what the compositor sends waits for the next of those.
    std::optional<Clock::time_point> until = loop.Deadline();
    for (const auto also : {input.RepeatDue(),
                            !form.DisplayOff && waiting ? std::optional(*waiting + kNoCallbacks) : std::nullopt,
                            scaleAlone != kNone ? std::optional(scaleAlone) : std::nullopt})
      if (also) until = until ? std::min(*until, *also) : *also;
    stop = connection.Wait(until, signalFd, loop.WokenByDisplay());
  }
  platform::EnableTimer(false);
  form.FormClose();
  binding.Bind(nullptr, nullptr);
  zwlr_layer_surface_v1_destroy(cover);
  wl_surface_destroy(surface);
  return status;
}

}  // namespace wayland
