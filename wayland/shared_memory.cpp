#include "wayland/shared_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <climits>
#include <stdexcept>

namespace wayland {

SharedMemory::SharedMemory(wl_shm* shm, std::size_t bytes) : bytes_(bytes) {
  if (bytes == 0 || bytes > INT32_MAX) throw std::runtime_error("no shared memory of that size");
  const int fd = memfd_create("quillmere-wayland", MFD_CLOEXEC);
  if (fd >= 0 && ftruncate(fd, off_t(bytes)) == 0)
    data_ = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (data_ == nullptr || data_ == MAP_FAILED) {
    if (fd >= 0) close(fd);
    data_ = nullptr;
    throw std::runtime_error("cannot make shared memory for the compositor");
  }
  pool_ = wl_shm_create_pool(shm, fd, std::int32_t(bytes));
  close(fd);  // the pool holds it
}

SharedMemory::~SharedMemory() {
  wl_shm_pool_destroy(pool_);  // buffers made from it keep the memory
  munmap(data_, bytes_);
}

wl_buffer* SharedMemory::MakeBuffer(std::size_t offset, int width, int height, int stride,
                                    std::uint32_t format) {
  return wl_shm_pool_create_buffer(pool_, std::int32_t(offset), width, height, stride, format);
}

}  // namespace wayland
