#include "wayland/capture.h"

#include <cstdint>
#include <memory>
#include <stdexcept>

#include "core/orientation.h"
#include "core/pixel_layout.h"
#include "protocols/wlr-screencopy-unstable-v1.h"
#include "wayland/shared_memory.h"

namespace wayland {

namespace {

constexpr auto kAnswerLimit = std::chrono::seconds(5);

struct Copy {
  wl_shm* shm = nullptr;
  std::uint32_t version = 0;
  std::uint32_t format = 0;
  int width = 0, height = 0, stride = 0;
  bool offered = false;  // a shared-memory buffer was described
  bool yInverted = false;
  enum class State { kDescribing, kCopying, kReady, kFailed } state = State::kDescribing;
  std::unique_ptr<SharedMemory> memory;
  wl_buffer* buffer = nullptr;
};

// The 32-bit layouts whose bytes in memory are B, G, R or R, G, B first.
bool BlueFirst(std::uint32_t format) {
  return format == WL_SHM_FORMAT_XRGB8888 || format == WL_SHM_FORMAT_ARGB8888;
}
bool RedFirst(std::uint32_t format) {
  return format == WL_SHM_FORMAT_XBGR8888 || format == WL_SHM_FORMAT_ABGR8888;
}

bool Readable(const Copy& c) {
  return c.offered && (BlueFirst(c.format) || RedFirst(c.format)) && c.width > 0 && c.height > 0 &&
         std::int64_t(c.stride) >= std::int64_t(c.width) * 4;
}

void StartCopy(Copy& c, zwlr_screencopy_frame_v1* frame) {
  try {
    if (Readable(c))
      c.memory = std::make_unique<SharedMemory>(c.shm, std::size_t(c.stride) * std::size_t(c.height));
  } catch (const std::runtime_error&) {  // too large, or no memory for it
  }
  if (c.memory == nullptr) {
    c.state = Copy::State::kFailed;
    return;
  }
  c.buffer = c.memory->MakeBuffer(0, c.width, c.height, c.stride, c.format);
  zwlr_screencopy_frame_v1_copy(frame, c.buffer);
  c.state = Copy::State::kCopying;
}

void OnBuffer(void* data, zwlr_screencopy_frame_v1* frame, std::uint32_t format, std::uint32_t width,
              std::uint32_t height, std::uint32_t stride) {
  auto& c = *static_cast<Copy*>(data);
  // An offer after the copy has started is too late (a second copy of one
  // frame is a protocol error); of several before it, the first readable one is taken.
  if (c.state != Copy::State::kDescribing || Readable(c)) return;
  // Sizes past what an int holds read as none, and fail the copy.
  const auto size = [](std::uint32_t value) { return value <= INT32_MAX ? int(value) : 0; };
  c.format = format, c.width = size(width), c.height = size(height), c.stride = size(stride);
  c.offered = true;
  if (c.version < 3) StartCopy(c, frame);  // no buffer_done comes
}

void OnFlags(void* data, zwlr_screencopy_frame_v1*, std::uint32_t flags) {
  static_cast<Copy*>(data)->yInverted = flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT;
}

void OnReady(void* data, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t) {
  static_cast<Copy*>(data)->state = Copy::State::kReady;
}

void OnFailed(void* data, zwlr_screencopy_frame_v1*) {
  static_cast<Copy*>(data)->state = Copy::State::kFailed;
}

void OnBufferDone(void* data, zwlr_screencopy_frame_v1* frame) {
  StartCopy(*static_cast<Copy*>(data), frame);
}

const zwlr_screencopy_frame_v1_listener kFrameListener = {
    OnBuffer, OnFlags, OnReady, OnFailed, Ignore, Ignore, OnBufferDone};

}  // namespace

Raster PictureOf32(const std::uint8_t* pixels, int width, int height, int stride, bool redFirst,
                   bool yInverted) {
  Raster picture(width, height);
  // The formats name a little-endian word's channels from the top.
  const std::uint32_t red = redFirst ? 0xFF : 0xFF0000, blue = red ^ 0xFF00FF;
  const std::uint8_t* first = pixels + (yInverted ? std::size_t(height - 1) * stride : 0);
  ReadImage(first, yInverted ? -std::ptrdiff_t(stride) : stride, {32, red, 0xFF00, blue, false}, picture);
  return picture;
}

std::optional<Raster> CaptureOutput(Connection& connection, zwlr_screencopy_manager_v1* manager,
                                    wl_shm* shm, wl_output* output, Orientation shown) {
  Copy copy;
  copy.shm = shm, copy.version = zwlr_screencopy_manager_v1_get_version(manager);
  zwlr_screencopy_frame_v1* frame = zwlr_screencopy_manager_v1_capture_output(manager, 0, output);
  zwlr_screencopy_frame_v1_add_listener(frame, &kFrameListener, &copy);
  // A compositor that never answers leaves the sample desktop, as one that refuses.
  connection.WaitUntil([&] { return copy.state == Copy::State::kReady || copy.state == Copy::State::kFailed; },
                       Clock::now() + kAnswerLimit);
  zwlr_screencopy_frame_v1_destroy(frame);
  if (copy.buffer != nullptr) wl_buffer_destroy(copy.buffer);
  if (copy.state != Copy::State::kReady || copy.memory == nullptr) return std::nullopt;
  return Reoriented(PictureOf32(copy.memory->Data(), copy.width, copy.height, copy.stride,
                                RedFirst(copy.format), copy.yInverted),
                    shown);
}

}  // namespace wayland
