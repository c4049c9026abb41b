#pragma once
// Frames onto one surface through two shared-memory buffers of its pixel
// size: only the damaged areas are converted and reported, a buffer the
// compositor still reads is never written, and at most one commit waits for
// the compositor's frame callback at a time; nothing here ever blocks.
#include <wayland-client.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "core/damage.h"
#include "core/raster.h"
#include "wayland/connection.h"
#include "wayland/shared_memory.h"

namespace wayland {

class Presenter {
 public:
  Presenter(wl_shm* shm, wl_surface* surface, bool damageInPixels);
  ~Presenter();
  Presenter(const Presenter&) = delete;
  Presenter& operator=(const Presenter&) = delete;

  // New buffers of `width` x `height` pixels shown at `scale`; the next
  // frame presented shows whole.
  void Resize(int width, int height, int scale);
  // Shows `damage` of `frame`, which stays valid until the next call or
  // Resize: now if the compositor is ready for a frame, else on its word.
  void Present(const Raster& frame, const Damage& damage);
  // Since when a commit has waited for the compositor's frame callback;
  // unset while none waits.
  std::optional<Clock::time_point> WaitingSince() const { return waitingSince_; }

  // The compositor's word, through the listeners.
  static void OnRelease(void* data, wl_buffer* buffer);
  static void OnFrame(void* data, wl_callback* callback, std::uint32_t time);

 private:
  struct Buffer {
    wl_buffer* buffer = nullptr;
    std::uint8_t* pixels = nullptr;
    bool busy = false;  // attached, and not yet released by the compositor
    Damage stale;       // what changed since this buffer was last written
  };
  void Release();
  void Commit();

  wl_shm* shm_;
  wl_surface* surface_;
  bool damageInPixels_;  // wl_surface.damage_buffer is there (version 4)
  int width_ = 0, height_ = 0, scale_ = 1;
  std::array<Buffer, 2> buffers_;
  std::unique_ptr<SharedMemory> memory_;
  const Raster* frame_ = nullptr;
  Damage unshown_;  // damage not yet committed
  wl_callback* frameCallback_ = nullptr;
  std::optional<Clock::time_point> waitingSince_;
};

}  // namespace wayland
