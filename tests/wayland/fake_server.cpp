#include "tests/wayland/fake_server.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <sstream>

#include "headless/png_io.h"
#include "server/wlr-screencopy-unstable-v1-server.h"
#define namespace layer_namespace
#include "server/wlr-layer-shell-unstable-v1-server.h"
#undef namespace

namespace fake {

struct Surface {
  Server* server = nullptr;
  wl_resource* resource = nullptr;
  wl_resource* pending = nullptr;  // the buffer attached
  int pendingScale = 1, scale = 1;
  std::vector<wl_resource*> callbacks;
  Output* output = nullptr;  // with the layer role
  wl_resource* layer = nullptr;
  bool configured = false;
};

namespace {

template <typename... Args>
void Nop(Args...) {}
void Destroy(wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }
template <typename T>
T* Of(wl_resource* resource) {
  return static_cast<T*>(wl_resource_get_user_data(resource));
}

// --- Surfaces: each commit keeps the frame, releases the buffer and
// answers the frame callbacks at once.
void SendConfigure(Surface& s) {
  const Output& o = *s.output;
  const bool fixed = o.configureWidth >= 0;
  zwlr_layer_surface_v1_send_configure(s.layer, ++s.server->serial,
                                       std::uint32_t(fixed ? o.configureWidth : o.width / o.scale),
                                       std::uint32_t(fixed ? o.configureHeight : o.height / o.scale));
}

void KeepFrame(Surface& s, wl_shm_buffer* buffer) {
  Output& o = *s.output;
  const int w = wl_shm_buffer_get_width(buffer), h = wl_shm_buffer_get_height(buffer);
  const int stride = wl_shm_buffer_get_stride(buffer);
  o.frame.resize(std::size_t(w) * h * 4);
  wl_shm_buffer_begin_access(buffer);
  const auto* data = static_cast<const std::uint8_t*>(wl_shm_buffer_get_data(buffer));
  for (int y = 0; y < h; ++y) std::memcpy(&o.frame[std::size_t(y) * w * 4], data + std::size_t(y) * stride, w * 4);
  wl_shm_buffer_end_access(buffer);
  o.frameWidth = w, o.frameHeight = h;
  const std::string size = std::to_string(w) + "x" + std::to_string(h) + "@" + std::to_string(s.scale);
  if (o.sizes.empty() || o.sizes.back() != size) o.sizes.push_back(size);
}

void Commit(wl_client*, wl_resource* resource) {
  Surface& s = *Of<Surface>(resource);
  s.scale = s.pendingScale;
  if (s.pending != nullptr) {
    if (wl_shm_buffer* buffer = wl_shm_buffer_get(s.pending); buffer != nullptr && s.output != nullptr)
      KeepFrame(s, buffer);
    wl_buffer_send_release(s.pending);
    s.pending = nullptr;
  }
  for (wl_resource* callback : s.callbacks) {
    wl_callback_send_done(callback, 0);
    wl_resource_destroy(callback);
  }
  s.callbacks.clear();
  if (s.layer != nullptr && !s.configured) {
    s.configured = true;
    SendConfigure(s);
  }
}

const struct wl_surface_interface kSurface = {
    Destroy,
    [](wl_client*, wl_resource* resource, wl_resource* buffer, std::int32_t, std::int32_t) {
      Of<Surface>(resource)->pending = buffer;
    },
    Nop,
    [](wl_client* client, wl_resource* resource, std::uint32_t id) {
      // Answered at the commit; a client that goes takes them with it.
      Of<Surface>(resource)->callbacks.push_back(wl_resource_create(client, &wl_callback_interface, 1, id));
    },
    Nop, Nop, Commit, Nop,
    [](wl_client*, wl_resource* resource, std::int32_t scale) { Of<Surface>(resource)->pendingScale = scale; },
    Nop, Nop};

const struct wl_region_interface kRegion = {Destroy, Nop, Nop};

const struct wl_compositor_interface kCompositor = {
    [](wl_client* client, wl_resource* resource, std::uint32_t id) {
      auto* s = new Surface;
      s->server = Of<Server>(resource);
      s->resource = wl_resource_create(client, &wl_surface_interface, 4, id);
      wl_resource_set_implementation(s->resource, &kSurface, s, [](wl_resource* gone) {
        Surface* s = Of<Surface>(gone);
        std::erase(s->server->covers, s);
        if (s->layer != nullptr) wl_resource_set_user_data(s->layer, nullptr);
        delete s;
      });
    },
    [](wl_client* client, wl_resource*, std::uint32_t id) {
      wl_resource_set_implementation(wl_resource_create(client, &wl_region_interface, 1, id), &kRegion,
                                     nullptr, nullptr);
    }};

// --- The layer shell: a cover's first commit is configured with its
// output's size in surface units, or the size the test gave.
const struct zwlr_layer_surface_v1_interface kLayerSurface = {
    Nop, Nop, Nop, Nop, Nop, Nop, Nop,
    [](wl_client*, wl_resource* resource) {
      if (Surface* s = Of<Surface>(resource)) s->layer = nullptr;
      wl_resource_destroy(resource);
    },
    Nop};

const struct zwlr_layer_shell_v1_interface kLayerShell = {
    [](wl_client* client, wl_resource* resource, std::uint32_t id, wl_resource* surface, wl_resource* output,
       std::uint32_t, const char*) {
      Surface* s = Of<Surface>(surface);
      s->output = Of<Output>(output);
      s->layer = wl_resource_create(client, &zwlr_layer_surface_v1_interface, 4, id);
      wl_resource_set_implementation(s->layer, &kLayerSurface, s, nullptr);
      Of<Server>(resource)->covers.push_back(s);
    },
    Destroy};

// --- Screencopy, version 2, whose compositors may offer a buffer twice:
// the picture in the output's byte order, stored bottom-up where y-inverted.
struct Copy {
  Output* output = nullptr;
  bool used = false;
};

void Answer(wl_resource* frame, bool yInverted) {
  zwlr_screencopy_frame_v1_send_flags(frame, yInverted ? ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT : 0);
  zwlr_screencopy_frame_v1_send_ready(frame, 0, 0, 0);
}

void CopyFrame(wl_client*, wl_resource* frame, wl_resource* bufferResource) {
  Copy& copy = *Of<Copy>(frame);
  const Output& o = *copy.output;
  wl_shm_buffer* buffer = wl_shm_buffer_get(bufferResource);
  if (copy.used) return wl_resource_post_error(frame, ZWLR_SCREENCOPY_FRAME_V1_ERROR_ALREADY_USED, "copied twice");
  copy.used = true;
  const Raster& p = o.picture;
  if (buffer == nullptr || wl_shm_buffer_get_width(buffer) != p.Width() ||
      wl_shm_buffer_get_height(buffer) != p.Height())
    return wl_resource_post_error(frame, ZWLR_SCREENCOPY_FRAME_V1_ERROR_INVALID_BUFFER, "not the offered buffer");
  wl_shm_buffer_begin_access(buffer);
  auto* data = static_cast<std::uint8_t*>(wl_shm_buffer_get_data(buffer));
  for (int y = 0; y < p.Height(); ++y) {
    std::uint8_t* out = data + std::size_t(o.yInverted ? p.Height() - 1 - y : y) * wl_shm_buffer_get_stride(buffer);
    for (int x = 0; x < p.Width(); ++x, out += 4) {
      const Color c = p.Pixel(x, y);
      const int first = o.redFirst ? RedOf(c) : BlueOf(c), third = o.redFirst ? BlueOf(c) : RedOf(c);
      out[0] = std::uint8_t(first), out[1] = std::uint8_t(GreenOf(c)), out[2] = std::uint8_t(third), out[3] = 0;
    }
  }
  wl_shm_buffer_end_access(buffer);
  if (o.lateMs == 0) return Answer(frame, o.yInverted);
  wl_event_source* later = wl_event_loop_add_timer(
      wl_display_get_event_loop(wl_client_get_display(wl_resource_get_client(frame))),
      [](void* data) {
        auto* f = static_cast<wl_resource*>(data);
        Answer(f, Of<Copy>(f)->output->yInverted);
        return 0;
      },
      frame);
  wl_event_source_timer_update(later, o.lateMs);
}

const struct zwlr_screencopy_frame_v1_interface kFrame = {CopyFrame, Destroy, CopyFrame};

const struct zwlr_screencopy_manager_v1_interface kScreencopy = {
    [](wl_client* client, wl_resource*, std::uint32_t id, std::int32_t, wl_resource* output) {
      wl_resource* frame = wl_resource_create(client, &zwlr_screencopy_frame_v1_interface, 2, id);
      auto* copy = new Copy;
      copy->output = Of<Output>(output);
      wl_resource_set_implementation(frame, &kFrame, copy, [](wl_resource* gone) { delete Of<Copy>(gone); });
      const Raster& p = copy->output->picture;
      const std::uint32_t format = copy->output->redFirst ? WL_SHM_FORMAT_XBGR8888 : WL_SHM_FORMAT_XRGB8888;
      for (int offer = 0; offer < 2; ++offer)
        zwlr_screencopy_frame_v1_send_buffer(frame, format, std::uint32_t(p.Width()), std::uint32_t(p.Height()),
                                             std::uint32_t(p.Width() * 4));
    },
    Nop, Destroy};

// --- The seat: a keyboard whose keymap claims more bytes than its file
// holds, where asked, and a touchscreen the commands drive.
const struct wl_keyboard_interface kKeyboard = {Destroy};
const struct wl_touch_interface kTouch = {Destroy};
const struct wl_pointer_interface kPointer = {Nop, Destroy};

void SendKeymap(wl_resource* keyboard) {
  // Blanks, which the keymap's reader skips on into the bytes that are not there.
  const int fd = memfd_create("fake-keymap", MFD_CLOEXEC);
  const std::string blanks(4096, ' ');
  if (fd < 0 || write(fd, blanks.data(), blanks.size()) != ssize_t(blanks.size())) return;
  wl_keyboard_send_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, 64 * 4096);
  close(fd);
}

const struct wl_seat_interface kSeat = {
    [](wl_client* client, wl_resource* seat, std::uint32_t id) {
      wl_resource_set_implementation(wl_resource_create(client, &wl_pointer_interface, wl_resource_get_version(seat), id),
                                     &kPointer, nullptr, nullptr);
    },
    [](wl_client* client, wl_resource* seat, std::uint32_t id) {
      wl_resource* keyboard = wl_resource_create(client, &wl_keyboard_interface, wl_resource_get_version(seat), id);
      wl_resource_set_implementation(keyboard, &kKeyboard, nullptr, nullptr);
      if (Of<Server>(seat)->badKeymap) SendKeymap(keyboard);
    },
    [](wl_client* client, wl_resource* seat, std::uint32_t id) {
      Server* server = Of<Server>(seat);
      server->touch = wl_resource_create(client, &wl_touch_interface, wl_resource_get_version(seat), id);
      wl_resource_set_implementation(server->touch, &kTouch, server,
                                     [](wl_resource* gone) { Of<Server>(gone)->touch = nullptr; });
    },
    Destroy};

// --- Outputs.
const struct wl_output_interface kOutput = {Destroy};

void SendOutput(wl_resource* resource, const Output& o) {
  wl_output_send_geometry(resource, 0, 0, 0, 0, WL_OUTPUT_SUBPIXEL_UNKNOWN, "fake", "fake",
                          WL_OUTPUT_TRANSFORM_NORMAL);
  wl_output_send_mode(resource, WL_OUTPUT_MODE_CURRENT, o.width, o.height, 60000);
  wl_output_send_scale(resource, o.scale);
  wl_output_send_done(resource);
}

wl_resource* Made(wl_client* client, const wl_interface& interface, std::uint32_t version, std::uint32_t id,
                  const void* implementation, void* data) {
  wl_resource* resource = wl_resource_create(client, &interface, int(version), id);
  wl_resource_set_implementation(resource, implementation, data, nullptr);
  return resource;
}

void BindOutput(wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
  auto* o = static_cast<Output*>(data);
  wl_resource* resource = Made(client, wl_output_interface, version, id, &kOutput, o);
  o->resources.push_back(resource);
  wl_resource_set_destructor(resource, [](wl_resource* gone) { std::erase(Of<Output>(gone)->resources, gone); });
  SendOutput(resource, *o);
}

Output& Numbered(Server& server, int index) {
  if (index < 1 || index > int(server.outputs.size())) throw std::runtime_error("no such output");
  return *server.outputs[std::size_t(index - 1)];
}

// "scale N S MS": output N's scale becomes S now, and its cover's configure
// follows MS milliseconds later (none for a negative MS).
void Rescale(Server& server, Output& o, int scale, int ms) {
  o.scale = scale;
  for (wl_resource* r : o.resources) {
    wl_output_send_scale(r, scale);
    wl_output_send_done(r);
  }
  if (ms < 0) return;
  struct Later {
    Server* server = nullptr;
    Output* output = nullptr;
    wl_event_source* source = nullptr;
  };
  auto* later = new Later;
  later->server = &server, later->output = &o;
  later->source = wl_event_loop_add_timer(
      wl_display_get_event_loop(server.display),
      [](void* data) {
        auto* l = static_cast<Later*>(data);
        for (Surface* s : l->server->covers)
          if (s->output == l->output && s->layer != nullptr && s->configured) SendConfigure(*s);
        wl_event_source_remove(l->source);
        delete l;
        return 0;
      },
      later);
  wl_event_source_timer_update(later->source, std::max(ms, 1));
}

std::string Touch(Server& server, const std::string& what) {
  Surface* cover = server.covers.empty() ? nullptr : server.covers.front();
  if (server.touch == nullptr || cover == nullptr) return "no touch";
  if (what == "down")
    wl_touch_send_down(server.touch, ++server.serial, 0, cover->resource, 7, wl_fixed_from_int(50), wl_fixed_from_int(50));
  else if (what == "up")
    wl_touch_send_up(server.touch, ++server.serial, 0, 7);
  else
    wl_touch_send_cancel(server.touch);
  if (what != "cancel") wl_touch_send_frame(server.touch);
  return "ok";
}

}  // namespace

void Offer(Server& server) {
  wl_display* d = server.display;
  wl_display_init_shm(d);
  wl_display_add_shm_format(d, WL_SHM_FORMAT_XBGR8888);
  wl_global_create(d, &wl_compositor_interface, 4, &server, [](wl_client* c, void* data, std::uint32_t v, std::uint32_t id) {
    Made(c, wl_compositor_interface, v, id, &kCompositor, data);
  });
  wl_global_create(d, &zwlr_layer_shell_v1_interface, 4, &server, [](wl_client* c, void* data, std::uint32_t v, std::uint32_t id) {
    Made(c, zwlr_layer_shell_v1_interface, v, id, &kLayerShell, data);
  });
  wl_global_create(d, &zwlr_screencopy_manager_v1_interface, 2, &server, [](wl_client* c, void* data, std::uint32_t v, std::uint32_t id) {
    Made(c, zwlr_screencopy_manager_v1_interface, v, id, &kScreencopy, data);
  });
  wl_global_create(d, &wl_seat_interface, 5, &server, [](wl_client* c, void* data, std::uint32_t v, std::uint32_t id) {
    wl_resource* seat = Made(c, wl_seat_interface, v, id, &kSeat, data);
    wl_seat_send_capabilities(seat, WL_SEAT_CAPABILITY_KEYBOARD | WL_SEAT_CAPABILITY_TOUCH);
  });
  for (auto& o : server.outputs) o->global = wl_global_create(d, &wl_output_interface, 3, o.get(), BindOutput);
}

std::string Command(Server& server, const std::string& line) {
  std::istringstream words(line);
  std::string verb;
  words >> verb;
  if (verb == "touch") {
    std::string what;
    words >> what;
    return Touch(server, what);
  }
  int index = 0;
  words >> index;
  Output& o = Numbered(server, index);
  if (verb == "shot") {  // shot N PATH: its cover's last frame as a PNG
    std::string path;
    words >> path;
    Raster shot(o.frameWidth, o.frameHeight);
    const std::uint8_t* in = o.frame.data();
    for (int y = 0; y < shot.Height(); ++y)
      for (int x = 0; x < shot.Width(); ++x, in += 4) shot.SetPixel(x, y, Rgb(in[2], in[1], in[0]));
    WritePng(path, shot);
    return "ok";
  }
  if (verb == "sizes") {  // sizes N: what its cover committed
    std::string all;
    for (const std::string& size : o.sizes) all += (all.empty() ? "" : " ") + size;
    return all.empty() ? "none" : all;
  }
  if (verb == "remove") {  // remove N: the output unplugged
    wl_global_destroy(o.global);
    return "ok";
  }
  if (verb == "scale") {
    int scale = 1, ms = -1;
    words >> scale >> ms;
    Rescale(server, o, scale, ms);
    return "ok";
  }
  return "unknown command";
}

}  // namespace fake
