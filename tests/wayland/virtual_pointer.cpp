// virtual_pointer W H: a pointer device for the seat of a compositor that
// offers zwlr_virtual_pointer_manager_v1, driven by lines on stdin, for tests
// where no real device exists. Prints "ready", then "ok" after each line
// once the compositor has handled it:
//   move X Y     the pointer to (X, Y) of the W x H output layout
//   button N     button N (1 left, 2 middle, 3 right) pressed and released
//   press N, release N   the one or the other
#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "protocols/wlr-virtual-pointer-unstable-v1.h"

namespace {

wl_seat* seat = nullptr;
zwlr_virtual_pointer_manager_v1* manager = nullptr;

void OnGlobal(void*, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
  if (std::strcmp(interface, wl_seat_interface.name) == 0 && seat == nullptr)
    seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
    manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
}

void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: virtual_pointer WIDTH HEIGHT\n");
    return 2;
  }
  const auto width = std::uint32_t(std::atoi(argv[1])), height = std::uint32_t(std::atoi(argv[2]));
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "virtual_pointer: no compositor\n");
    return 2;
  }
  static const wl_registry_listener listener = {OnGlobal, OnGlobalRemove};
  wl_registry_add_listener(wl_display_get_registry(display), &listener, nullptr);
  wl_display_roundtrip(display);
  if (manager == nullptr) {
    std::fprintf(stderr, "virtual_pointer: no zwlr_virtual_pointer_manager_v1\n");
    return 2;
  }
  zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat);
  wl_display_roundtrip(display);
  // Clients learn of the seat's new pointer before they are sent its events.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  std::cout << "ready" << std::endl;
  std::uint32_t time = 0;
  for (std::string line; std::getline(std::cin, line);) {
    std::istringstream words(line);
    std::string command;
    unsigned x = 0, y = 0;
    words >> command >> x >> y;
    time += 10;
    if (command == "move") {
      zwlr_virtual_pointer_v1_motion_absolute(pointer, time, x, y, width, height);
    } else if (command == "button" || command == "press" || command == "release") {
      const std::uint32_t button = x == 3 ? BTN_RIGHT : x == 2 ? BTN_MIDDLE : BTN_LEFT;
      if (command != "release") {
        zwlr_virtual_pointer_v1_button(pointer, time, button, WL_POINTER_BUTTON_STATE_PRESSED);
        zwlr_virtual_pointer_v1_frame(pointer);
      }
      if (command != "press")
        zwlr_virtual_pointer_v1_button(pointer, time + 5, button, WL_POINTER_BUTTON_STATE_RELEASED);
    } else {
      std::fprintf(stderr, "virtual_pointer: unknown command \"%s\"\n", line.c_str());
      return 2;
    }
    zwlr_virtual_pointer_v1_frame(pointer);
    wl_display_roundtrip(display);
    std::cout << "ok" << std::endl;
  }
  zwlr_virtual_pointer_v1_destroy(pointer);
  wl_display_disconnect(display);
  return 0;
}
