#include "tests/wayland/fake_server.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include "headless/png_io.h"
#include "server/wlr-screencopy-unstable-v1-server.h"
#define namespace layer_namespace
#include "server/wlr-layer-shell-unstable-v1-server.h"
#undef namespace

namespace fake {

struct Output {
  Raster picture;
  int scale = 1, configureWidth = -1, configureHeight = -1;
  bool redFirst = false, yInverted = false, mute = false;
  wl_global* global = nullptr;
  std::vector<wl_resource*> resources;
  Raster frame;  // its cover's last
  std::vector<std::string> sizes;
};

struct Surface {
  struct Server* server = nullptr;
  wl_resource *resource = nullptr, *buffer = nullptr, *layer = nullptr;
  int pendingScale = 1;
  std::vector<wl_resource*> callbacks;
  Output* output = nullptr;  // of its cover
  bool configured = false;
};

struct Server {
  std::vector<std::unique_ptr<Output>> outputs;
  std::vector<Surface*> covers;
  bool badKeymap = false;
  wl_resource* touch = nullptr;
  std::uint32_t serial = 0;
  std::string pending;  // of stdin, up to the next line's end
};

namespace {

template <typename... Args>
void Nop(Args...) {}
void Destroy(wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }
template <typename T>
T* Of(wl_resource* resource) {
  return static_cast<T*>(wl_resource_get_user_data(resource));
}
wl_resource* Made(wl_client* client, const wl_interface& interface, std::uint32_t version, std::uint32_t id,
                  const void* implementation, void* data) {
  wl_resource* resource = wl_resource_create(client, &interface, int(version), id);
  wl_resource_set_implementation(resource, implementation, data, nullptr);
  return resource;
}

void Configure(Surface& s) {
  const Output& o = *s.output;
  const bool fixed = o.configureWidth >= 0;
  zwlr_layer_surface_v1_send_configure(
      s.layer, ++s.server->serial, std::uint32_t(fixed ? o.configureWidth : o.picture.Width() / o.scale),
      std::uint32_t(fixed ? o.configureHeight : o.picture.Height() / o.scale));
}

// A commit keeps the frame, gives the buffer back and answers the frame
// callbacks at once; a cover's first is configured.
void Commit(wl_client*, wl_resource* resource) {
  Surface& s = *Of<Surface>(resource);
  wl_shm_buffer* shm = s.buffer ? wl_shm_buffer_get(s.buffer) : nullptr;
  if (shm != nullptr && s.output != nullptr) {
    Output& o = *s.output;
    o.frame = Raster(wl_shm_buffer_get_width(shm), wl_shm_buffer_get_height(shm));
    wl_shm_buffer_begin_access(shm);
    for (int y = 0; y < o.frame.Height(); ++y) {
      const auto* in = static_cast<const std::uint8_t*>(wl_shm_buffer_get_data(shm)) + y * wl_shm_buffer_get_stride(shm);
      for (int x = 0; x < o.frame.Width(); ++x, in += 4) o.frame.SetPixel(x, y, Rgb(in[2], in[1], in[0]));
    }
    wl_shm_buffer_end_access(shm);
    const std::string size = std::to_string(o.frame.Width()) + "x" + std::to_string(o.frame.Height()) + "@" +
                             std::to_string(s.pendingScale);
    if (o.sizes.empty() || o.sizes.back() != size) o.sizes.push_back(size);
  }
  if (s.buffer != nullptr) wl_buffer_send_release(s.buffer);
  s.buffer = nullptr;
  for (wl_resource* callback : s.callbacks) {
    wl_callback_send_done(callback, 0);
    wl_resource_destroy(callback);
  }
  s.callbacks.clear();
  if (s.layer != nullptr && !s.configured) {
    s.configured = true;
    Configure(s);
  }
}

const struct wl_surface_interface kSurface = {
    Destroy,
    [](wl_client*, wl_resource* r, wl_resource* buffer, std::int32_t, std::int32_t) { Of<Surface>(r)->buffer = buffer; },
    Nop,
    [](wl_client* c, wl_resource* r, std::uint32_t id) {
      Of<Surface>(r)->callbacks.push_back(wl_resource_create(c, &wl_callback_interface, 1, id));
    },
    Nop, Nop, Commit, Nop,
    [](wl_client*, wl_resource* r, std::int32_t scale) { Of<Surface>(r)->pendingScale = scale; },
    Nop, Nop};

const struct wl_region_interface kRegion = {Destroy, Nop, Nop};

const struct wl_compositor_interface kCompositor = {
    [](wl_client* c, wl_resource* r, std::uint32_t id) {
      auto* s = new Surface;
      s->server = Of<Server>(r);
      s->resource = wl_resource_create(c, &wl_surface_interface, 4, id);
      wl_resource_set_implementation(s->resource, &kSurface, s, [](wl_resource* gone) {
        Surface* s = Of<Surface>(gone);
        std::erase(s->server->covers, s);
        if (s->layer != nullptr) wl_resource_set_user_data(s->layer, nullptr);
        delete s;
      });
    },
    [](wl_client* c, wl_resource*, std::uint32_t id) { Made(c, wl_region_interface, 1, id, &kRegion, nullptr); }};

const struct zwlr_layer_surface_v1_interface kLayerSurface = {
    Nop, Nop, Nop, Nop, Nop, Nop, Nop,
    [](wl_client*, wl_resource* r) {
      if (Surface* s = Of<Surface>(r)) s->layer = nullptr;
      wl_resource_destroy(r);
    },
    Nop};

const struct zwlr_layer_shell_v1_interface kLayerShell = {
    [](wl_client* c, wl_resource* r, std::uint32_t id, wl_resource* surface, wl_resource* output, std::uint32_t,
       const char*) {
      Surface* s = Of<Surface>(surface);
      s->output = Of<Output>(output);
      s->layer = Made(c, zwlr_layer_surface_v1_interface, 4, id, &kLayerSurface, s);
      Of<Server>(r)->covers.push_back(s);
    },
    Destroy};

// Screencopy: a frame is copied once; a second copy is the protocol error
// a real compositor sends.
void Copy(wl_client*, wl_resource* frame, wl_resource* buffer) {
  const Output* o = Of<Output>(frame);
  wl_shm_buffer* shm = wl_shm_buffer_get(buffer);
  if (o == nullptr) return wl_resource_post_error(frame, ZWLR_SCREENCOPY_FRAME_V1_ERROR_ALREADY_USED, "copied twice");
  wl_resource_set_user_data(frame, nullptr);
  const Raster& p = o->picture;
  if (shm == nullptr || wl_shm_buffer_get_width(shm) != p.Width() || wl_shm_buffer_get_height(shm) != p.Height())
    return wl_resource_post_error(frame, ZWLR_SCREENCOPY_FRAME_V1_ERROR_INVALID_BUFFER, "not the buffer offered");
  wl_shm_buffer_begin_access(shm);
  for (int y = 0; y < p.Height(); ++y) {
    auto* out = static_cast<std::uint8_t*>(wl_shm_buffer_get_data(shm)) +
                (o->yInverted ? p.Height() - 1 - y : y) * wl_shm_buffer_get_stride(shm);
    for (int x = 0; x < p.Width(); ++x, out += 4) {
      const Color c = p.Pixel(x, y);
      out[0] = std::uint8_t(o->redFirst ? RedOf(c) : BlueOf(c)), out[1] = std::uint8_t(GreenOf(c));
      out[2] = std::uint8_t(o->redFirst ? BlueOf(c) : RedOf(c)), out[3] = 0;
    }
  }
  wl_shm_buffer_end_access(shm);
  if (o->mute) return;
  zwlr_screencopy_frame_v1_send_flags(frame, o->yInverted ? ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT : 0);
  zwlr_screencopy_frame_v1_send_ready(frame, 0, 0, 0);
}

const struct zwlr_screencopy_frame_v1_interface kFrame = {Copy, Destroy, Copy};

const struct zwlr_screencopy_manager_v1_interface kScreencopy = {
    [](wl_client* c, wl_resource*, std::uint32_t id, std::int32_t, wl_resource* output) {
      Output* o = Of<Output>(output);
      wl_resource* frame = Made(c, zwlr_screencopy_frame_v1_interface, 2, id, &kFrame, o);
      const auto format = o->redFirst ? WL_SHM_FORMAT_XBGR8888 : WL_SHM_FORMAT_XRGB8888;
      for (int offer = 0; offer < 2; ++offer)
        zwlr_screencopy_frame_v1_send_buffer(frame, format, std::uint32_t(o->picture.Width()),
                                             std::uint32_t(o->picture.Height()), std::uint32_t(o->picture.Width() * 4));
    },
    Nop, Destroy};

// The seat: a keyboard and a touchscreen, and no pointer.
const struct wl_keyboard_interface kKeyboard = {Destroy};
const struct wl_touch_interface kTouch = {Destroy};

void SendKeymap(wl_resource* keyboard) {
  // Blanks, which a reader of the keymap skips on into the pages not there.
  const int fd = memfd_create("fake-keymap", MFD_CLOEXEC);
  const std::string blanks(4096, ' ');
  if (fd >= 0 && write(fd, blanks.data(), blanks.size()) == ssize_t(blanks.size()))
    wl_keyboard_send_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, 64 * 4096);
  if (fd >= 0) close(fd);
}

const struct wl_seat_interface kSeat = {
    Nop,
    [](wl_client* c, wl_resource* seat, std::uint32_t id) {
      wl_resource* keyboard = Made(c, wl_keyboard_interface, wl_resource_get_version(seat), id, &kKeyboard, nullptr);
      if (Of<Server>(seat)->badKeymap) SendKeymap(keyboard);
    },
    [](wl_client* c, wl_resource* seat, std::uint32_t id) {
      Server* server = Of<Server>(seat);
      server->touch = Made(c, wl_touch_interface, wl_resource_get_version(seat), id, &kTouch, server);
      wl_resource_set_destructor(server->touch, [](wl_resource* gone) {
        if (Of<Server>(gone)->touch == gone) Of<Server>(gone)->touch = nullptr;
      });
    },
    Destroy};

const struct wl_output_interface kOutput = {Destroy};

void BindOutput(wl_client* c, void* data, std::uint32_t version, std::uint32_t id) {
  auto* o = static_cast<Output*>(data);
  wl_resource* r = Made(c, wl_output_interface, version, id, &kOutput, o);
  o->resources.push_back(r);
  wl_resource_set_destructor(r, [](wl_resource* gone) { std::erase(Of<Output>(gone)->resources, gone); });
  wl_output_send_geometry(r, 0, 0, 0, 0, WL_OUTPUT_SUBPIXEL_UNKNOWN, "fake", "fake", WL_OUTPUT_TRANSFORM_NORMAL);
  wl_output_send_mode(r, WL_OUTPUT_MODE_CURRENT, o->picture.Width(), o->picture.Height(), 60000);
  wl_output_send_scale(r, o->scale);
  wl_output_send_done(r);
}

std::unique_ptr<Output> ParseOutput(const std::string& text) {
  auto o = std::make_unique<Output>();
  std::istringstream parts(text);
  std::string part;
  std::getline(parts, part, ',');
  o->picture = ReadPng(part);
  while (std::getline(parts, part, ',')) {
    if (part == "xbgr" || part == "y-invert" || part == "mute")
      (part == "xbgr" ? o->redFirst : part == "y-invert" ? o->yInverted : o->mute) = true;
    else if (std::sscanf(part.c_str(), "configure=%dx%d", &o->configureWidth, &o->configureHeight) != 2)
      throw std::runtime_error("unknown output option " + part);
  }
  return o;
}

std::string Command(Server& server, const std::string& line) {
  std::istringstream words(line);
  std::string verb, what;
  std::size_t n = 0;
  words >> verb;
  Surface* first = server.covers.empty() ? nullptr : server.covers.front();
  if (verb == "touch" && server.touch != nullptr && first != nullptr && (words >> what)) {
    if (what == "down")
      wl_touch_send_down(server.touch, ++server.serial, 0, first->resource, 7, wl_fixed_from_int(9), wl_fixed_from_int(9));
    else if (what == "up")
      wl_touch_send_up(server.touch, ++server.serial, 0, 7);
    else
      wl_touch_send_cancel(server.touch);
    if (what != "cancel") wl_touch_send_frame(server.touch);
    return "ok";
  }
  if (!(words >> n) || n < 1 || n > server.outputs.size()) return "no such output";
  Output& o = *server.outputs[n - 1];
  if (verb == "shot" && (words >> what)) {
    WritePng(what, o.frame);
    return "ok";
  }
  if (verb == "sizes") {
    std::string all;
    for (const std::string& size : o.sizes) all += (all.empty() ? "" : " ") + size;
    return all.empty() ? "none" : all;
  }
  if (verb == "remove") {
    wl_global_destroy(o.global);
    return "ok";
  }
  if (verb == "scale" && (words >> o.scale)) {
    for (wl_resource* r : o.resources) {
      wl_output_send_scale(r, o.scale);
      wl_output_send_done(r);
    }
    return "ok";
  }
  if (verb == "configure") {
    for (Surface* s : server.covers)
      if (s->output == &o && s->layer != nullptr) Configure(*s);
    return "ok";
  }
  return "unknown command";
}

int ReadCommands(int fd, std::uint32_t, void* data) {
  auto& server = *static_cast<Server*>(data);
  char bytes[4096];
  const ssize_t count = read(fd, bytes, sizeof bytes);
  if (count <= 0) std::exit(0);  // the test is over
  server.pending.append(bytes, std::size_t(count));
  for (std::size_t end; (end = server.pending.find('\n')) != std::string::npos; server.pending.erase(0, end + 1))
    std::cout << Command(server, server.pending.substr(0, end)) << std::endl;
  return 0;
}

}  // namespace

std::shared_ptr<Server> Serve(wl_display* d, const std::vector<std::string>& args) {
  auto server = std::make_shared<Server>();
  for (const std::string& arg : args) {
    if (arg == "--bad-keymap")
      server->badKeymap = true;
    else
      server->outputs.push_back(ParseOutput(arg));
  }
  wl_display_init_shm(d);
  wl_display_add_shm_format(d, WL_SHM_FORMAT_XBGR8888);
  wl_global_create(d, &wl_compositor_interface, 4, server.get(), [](wl_client* c, void* data, std::uint32_t v, std::uint32_t id) {
    Made(c, wl_compositor_interface, v, id, &kCompositor, data);
  });
  wl_global_create(d, &zwlr_layer_shell_v1_interface, 4, server.get(), [](wl_client* c, void* data, std::uint32_t v, std::uint32_t id) {
    Made(c, zwlr_layer_shell_v1_interface, v, id, &kLayerShell, data);
  });
  wl_global_create(d, &zwlr_screencopy_manager_v1_interface, 2, server.get(), [](wl_client* c, void* data, std::uint32_t v, std::uint32_t id) {
    Made(c, zwlr_screencopy_manager_v1_interface, v, id, &kScreencopy, data);
  });
  wl_global_create(d, &wl_seat_interface, 5, server.get(), [](wl_client* c, void* data, std::uint32_t v, std::uint32_t id) {
    wl_seat_send_capabilities(Made(c, wl_seat_interface, v, id, &kSeat, data),
                              WL_SEAT_CAPABILITY_KEYBOARD | WL_SEAT_CAPABILITY_TOUCH);
  });
  for (auto& o : server->outputs) o->global = wl_global_create(d, &wl_output_interface, 3, o.get(), BindOutput);
  wl_event_loop_add_fd(wl_display_get_event_loop(d), STDIN_FILENO, WL_EVENT_READABLE, ReadCommands, server.get());
  return server;
}

}  // namespace fake
