// fake_compositor MODE SOCKET [ARG...]: a Wayland server that is no real
// compositor, for the roads a real one does not take on demand. It listens
// on SOCKET in XDG_RUNTIME_DIR, prints "ready" and serves until killed.
//   no-layer-shell   wl_compositor, wl_shm and wl_output, as a compositor
//                    without the wlroots layer shell offers
//   protocol-error   the same and the layer shell; binding wl_compositor
//                    draws a protocol error
//   serve ARG...     outputs showing pictures, and more (fake_server.h)
#include <wayland-server.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/wayland/fake_server.h"

// From the layer shell's generated glue, linked in.
extern "C" const wl_interface zwlr_layer_shell_v1_interface;

namespace {

bool refuse = false;

void BindPlain(wl_client* client, void*, std::uint32_t version, std::uint32_t id, const wl_interface* interface) {
  wl_resource* resource = wl_resource_create(client, interface, int(version), id);
  if (refuse && interface == &wl_compositor_interface)
    wl_resource_post_error(resource, 0, "refused for the test");
}

template <const wl_interface* Interface>
void Bind(wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
  BindPlain(client, data, version, id, Interface);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc >= 3 ? argv[1] : "";
  if (mode != "serve" && (argc != 3 || (mode != "no-layer-shell" && mode != "protocol-error"))) {
    std::fprintf(stderr, "usage: fake_compositor no-layer-shell|protocol-error|serve SOCKET [ARG...]\n");
    return 2;
  }
  refuse = mode == "protocol-error";
  wl_display* display = wl_display_create();
  if (wl_display_add_socket(display, argv[2]) != 0) {
    std::fprintf(stderr, "fake_compositor: cannot listen on %s\n", argv[2]);
    return 1;
  }
  std::shared_ptr<fake::Server> served;
  if (mode == "serve") {
    try {
      served = fake::Serve(display, std::vector<std::string>(argv + 3, argv + argc));
    } catch (const std::exception& error) {
      std::fprintf(stderr, "fake_compositor: %s\n", error.what());
      return 2;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    wl_display_run(display);
    return 0;
  }
  wl_display_init_shm(display);
  wl_global_create(display, &wl_compositor_interface, 4, nullptr, Bind<&wl_compositor_interface>);
  wl_global_create(display, &wl_output_interface, 3, nullptr, Bind<&wl_output_interface>);
  if (refuse)
    wl_global_create(display, &zwlr_layer_shell_v1_interface, 4, nullptr, Bind<&zwlr_layer_shell_v1_interface>);
  std::printf("ready\n");
  std::fflush(stdout);
  wl_display_run(display);
  return 0;
}
