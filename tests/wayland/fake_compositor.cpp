// fake_compositor MODE SOCKET [...]: a Wayland server that is no real
// compositor, for the roads a real one does not take on demand. It listens
// on SOCKET in XDG_RUNTIME_DIR, prints "ready" and serves until killed.
//   no-layer-shell   wl_compositor, wl_shm and wl_output, as a compositor
//                    without the wlroots layer shell offers
//   protocol-error   the same and the layer shell; binding wl_compositor
//                    draws a protocol error
//   serve [--bad-keymap] OUTPUT...
//                    one output per PICTURE.png[,OPTION...], of the
//                    picture's size, which its captures give (fake_server.h);
//                    options: xbgr, y-invert (how captures are laid out),
//                    configure=WxH (its cover's size instead), late=MS (a
//                    capture's answer that long after the copy). Each line
//                    on stdin is a command, answered with one line:
//                      shot N PATH    output N's last frame, as a PNG
//                      sizes N        the buffer sizes its cover committed
//                      remove N       its global withdrawn
//                      scale N S MS   its scale S now, its cover's
//                                     configure MS ms later (none if < 0)
//                      touch down|up|cancel   a finger on the first cover
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

#include "headless/png_io.h"
#include "tests/wayland/fake_server.h"

// From the layer shell's generated glue, linked in.
extern "C" const wl_interface zwlr_layer_shell_v1_interface;

namespace {

void BindRefusing(wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
  const auto* interface = static_cast<const wl_interface*>(data);
  wl_resource* resource = wl_resource_create(client, interface, int(version), id);
  if (interface == &wl_compositor_interface) wl_resource_post_error(resource, 0, "refused for the test");
}

void BindInert(wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
  wl_resource_create(client, static_cast<const wl_interface*>(data), int(version), id);
}

std::unique_ptr<fake::Output> ParseOutput(const std::string& spec, int index) {
  auto o = std::make_unique<fake::Output>();
  o->index = index;
  std::istringstream parts(spec);
  std::string part;
  std::getline(parts, part, ',');
  o->picture = ReadPng(part);
  o->width = o->picture.Width(), o->height = o->picture.Height();
  while (std::getline(parts, part, ',')) {
    if (part == "xbgr")
      o->redFirst = true;
    else if (part == "y-invert")
      o->yInverted = true;
    else if (std::sscanf(part.c_str(), "configure=%dx%d", &o->configureWidth, &o->configureHeight) == 2)
      continue;
    else if (std::sscanf(part.c_str(), "late=%d", &o->lateMs) != 1)
      throw std::runtime_error("unknown output option " + part);
  }
  return o;
}

int ReadCommands(int fd, std::uint32_t, void* data) {
  auto& server = *static_cast<fake::Server*>(data);
  static std::string pending;  // a line may come in pieces
  char bytes[4096];
  const ssize_t count = read(fd, bytes, sizeof bytes);
  if (count <= 0) {
    wl_display_terminate(server.display);
    return 0;
  }
  pending.append(bytes, std::size_t(count));
  for (std::size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
    std::string answer;
    try {
      answer = fake::Command(server, pending.substr(0, end));
    } catch (const std::exception& error) {
      answer = error.what();
    }
    std::cout << answer << std::endl;
  }
  wl_display_flush_clients(server.display);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc >= 3 ? argv[1] : "";
  if (mode != "no-layer-shell" && mode != "protocol-error" && mode != "serve") {
    std::fprintf(stderr, "usage: fake_compositor no-layer-shell|protocol-error|serve SOCKET [...]\n");
    return 2;
  }
  fake::Server server;
  server.display = wl_display_create();
  if (wl_display_add_socket(server.display, argv[2]) != 0) {
    std::fprintf(stderr, "fake_compositor: cannot listen on %s\n", argv[2]);
    return 1;
  }
  if (mode == "serve") {
    try {
      for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--bad-keymap") == 0)
          server.badKeymap = true;
        else
          server.outputs.push_back(ParseOutput(argv[i], int(server.outputs.size()) + 1));
      }
    } catch (const std::exception& error) {
      std::fprintf(stderr, "fake_compositor: %s\n", error.what());
      return 2;
    }
    fake::Offer(server);
    wl_event_loop_add_fd(wl_display_get_event_loop(server.display), STDIN_FILENO, WL_EVENT_READABLE,
                         ReadCommands, &server);
  } else {
    const auto bind = mode == "protocol-error" ? BindRefusing : BindInert;
    wl_display_init_shm(server.display);
    wl_global_create(server.display, &wl_compositor_interface, 4, (void*)&wl_compositor_interface, bind);
    wl_global_create(server.display, &wl_output_interface, 3, (void*)&wl_output_interface, bind);
    if (mode == "protocol-error")
      wl_global_create(server.display, &zwlr_layer_shell_v1_interface, 4, (void*)&zwlr_layer_shell_v1_interface, bind);
  }
  std::printf("ready\n");
  std::fflush(stdout);
  wl_display_run(server.display);
  return 0;
}
