#include "wayland/presenter.h"

#include "core/xrgb.h"

namespace wayland {

const wl_buffer_listener kBufferListener = {Presenter::OnRelease};
const wl_callback_listener kFrameListener = {Presenter::OnFrame};

Presenter::Presenter(wl_shm* shm, wl_surface* surface, bool damageInPixels)
    : shm_(shm), surface_(surface), damageInPixels_(damageInPixels) {}

Presenter::~Presenter() { Release(); }

void Presenter::Release() {
  if (frameCallback_ != nullptr) wl_callback_destroy(frameCallback_);
  frameCallback_ = nullptr;
  waitingSince_.reset();
  for (Buffer& b : buffers_)
    if (b.buffer != nullptr) wl_buffer_destroy(b.buffer);
  buffers_ = {};
  memory_.reset();
  frame_ = nullptr;
  unshown_.Clear();
}

void Presenter::Resize(int width, int height, int scale) {
  Release();
  width_ = width, height_ = height, scale_ = scale;
  const int stride = width * 4;
  const std::size_t size = std::size_t(stride) * std::size_t(height);
  memory_ = std::make_unique<SharedMemory>(shm_, size * buffers_.size());
  for (std::size_t i = 0; i < buffers_.size(); ++i) {
    Buffer& b = buffers_[i];
    b.buffer = memory_->MakeBuffer(i * size, width, height, stride, WL_SHM_FORMAT_XRGB8888);
    b.pixels = memory_->Data() + i * size;
    b.stale = Damage({0, 0, width, height});
    wl_buffer_add_listener(b.buffer, &kBufferListener, this);
  }
  unshown_ = Damage({0, 0, width, height});  // the first commit replaces everything
  wl_surface_set_buffer_scale(surface_, scale);
}

void Presenter::Present(const Raster& frame, const Damage& damage) {
  if (frame.Width() != width_ || frame.Height() != height_) return;
  frame_ = &frame;
  for (const Rect& area : damage) {
    unshown_.Add(area);
    for (Buffer& b : buffers_) b.stale.Add(area);
  }
  Commit();
}

void Presenter::Commit() {
  if (frame_ == nullptr || unshown_.Empty() || frameCallback_ != nullptr) return;
  Buffer* free = nullptr;
  for (Buffer& b : buffers_)
    if (!b.busy) free = &b;
  if (free == nullptr) return;  // a release will call again
  for (const Rect& area : free->stale)
    WriteXrgb(*frame_, area, free->pixels, width_ * 4, WordOrder::kLittleEndian);
  free->stale.Clear();
  wl_surface_attach(surface_, free->buffer, 0, 0);
  for (const Rect& a : unshown_) {
    if (damageInPixels_) {
      wl_surface_damage_buffer(surface_, a.left, a.top, a.right - a.left, a.bottom - a.top);
    } else {  // in surface units, rounded outwards
      const int l = a.left / scale_, t = a.top / scale_;
      wl_surface_damage(surface_, l, t, (a.right + scale_ - 1) / scale_ - l,
                        (a.bottom + scale_ - 1) / scale_ - t);
    }
  }
  unshown_.Clear();
  frameCallback_ = wl_surface_frame(surface_);
  wl_callback_add_listener(frameCallback_, &kFrameListener, this);
  wl_surface_commit(surface_);
  free->busy = true;
  waitingSince_ = Clock::now();
}

void Presenter::OnRelease(void* data, wl_buffer* buffer) {
  auto* self = static_cast<Presenter*>(data);
  for (Buffer& b : self->buffers_)
    if (b.buffer == buffer) b.busy = false;
  self->Commit();
}

void Presenter::OnFrame(void* data, wl_callback* callback, std::uint32_t) {
  auto* self = static_cast<Presenter*>(data);
  wl_callback_destroy(callback);
  self->frameCallback_ = nullptr;
  self->waitingSince_.reset();
  self->Commit();
}

}  // namespace wayland
