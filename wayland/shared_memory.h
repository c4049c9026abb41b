#pragma once
// Memory shared with the compositor: mapped here, a wl_shm pool there, and
// buffers cut from it.
#include <wayland-client.h>

#include <cstddef>
#include <cstdint>

namespace wayland {

class SharedMemory {
 public:
  // Throws std::runtime_error if the memory cannot be had.
  SharedMemory(wl_shm* shm, std::size_t bytes);
  ~SharedMemory();
  SharedMemory(const SharedMemory&) = delete;
  SharedMemory& operator=(const SharedMemory&) = delete;

  std::uint8_t* Data() const { return static_cast<std::uint8_t*>(data_); }
  // A buffer over the `stride` * `height` bytes from `offset`.
  wl_buffer* MakeBuffer(std::size_t offset, int width, int height, int stride, std::uint32_t format);

 private:
  void* data_ = nullptr;
  std::size_t bytes_;
  wl_shm_pool* pool_ = nullptr;
};

}  // namespace wayland
