// virtual_pointer W H: a pointer device for the seat, for tests where no
// real device exists, through zwlr_virtual_pointer_manager_v1 (sway) or
// KWin's org_kde_kwin_fake_input (to a client its desktop file lets have
// it), whichever the compositor offers. Driven by lines on stdin; prints
// "ready", then "ok" after each line once the compositor has handled it:
//   move X Y     the pointer to (X, Y) of the W x H output layout
//   button N     button N (1 left, 2 middle, 3 right) pressed and released
//   press N, release N   the one or the other
// and on KWin alone, which has no virtual keyboard for wtype:
//   nudge DX DY  the pointer moved by (DX, DY), as a mouse moves it
//   key CODE     the key of that evdev code pressed and released
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

#include "protocols/fake-input.h"
#include "protocols/wlr-virtual-pointer-unstable-v1.h"

namespace {

wl_seat* seat = nullptr;
zwlr_virtual_pointer_manager_v1* manager = nullptr;
org_kde_kwin_fake_input* fake = nullptr;

void OnGlobal(void*, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
  if (std::strcmp(interface, wl_seat_interface.name) == 0 && seat == nullptr)
    seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
    manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
  if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
    fake = static_cast<org_kde_kwin_fake_input*>(
        wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
}

void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}

// One line through the wlroots virtual pointer; false if it is none of its commands.
bool Virtual(zwlr_virtual_pointer_v1* pointer, const std::string& command, double x, double y,
             std::uint32_t button, std::uint32_t width, std::uint32_t height, std::uint32_t time) {
  if (command == "move") {
    zwlr_virtual_pointer_v1_motion_absolute(pointer, time, unsigned(x), unsigned(y), width, height);
  } else if (command == "button" || command == "press" || command == "release") {
    if (command != "release") {
      zwlr_virtual_pointer_v1_button(pointer, time, button, WL_POINTER_BUTTON_STATE_PRESSED);
      zwlr_virtual_pointer_v1_frame(pointer);
    }
    if (command != "press")
      zwlr_virtual_pointer_v1_button(pointer, time + 5, button, WL_POINTER_BUTTON_STATE_RELEASED);
  } else {
    return false;
  }
  zwlr_virtual_pointer_v1_frame(pointer);
  return true;
}

// The same through KWin's fake input, which frames each event itself.
bool Fake(const std::string& command, double x, double y, std::uint32_t button) {
  const auto fixed = [](double value) { return wl_fixed_from_double(value); };
  if (command == "move") {
    org_kde_kwin_fake_input_pointer_motion_absolute(fake, fixed(x), fixed(y));
  } else if (command == "nudge") {
    org_kde_kwin_fake_input_pointer_motion(fake, fixed(x), fixed(y));
  } else if (command == "button" || command == "press" || command == "release") {
    if (command != "release") org_kde_kwin_fake_input_button(fake, button, WL_POINTER_BUTTON_STATE_PRESSED);
    if (command != "press") org_kde_kwin_fake_input_button(fake, button, WL_POINTER_BUTTON_STATE_RELEASED);
  } else if (command == "key") {
    org_kde_kwin_fake_input_keyboard_key(fake, std::uint32_t(x), WL_KEYBOARD_KEY_STATE_PRESSED);
    org_kde_kwin_fake_input_keyboard_key(fake, std::uint32_t(x), WL_KEYBOARD_KEY_STATE_RELEASED);
  } else {
    return false;
  }
  return true;
}

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
  if (manager == nullptr && fake == nullptr) {
    std::fprintf(stderr, "virtual_pointer: neither zwlr_virtual_pointer_manager_v1 nor "
                         "org_kde_kwin_fake_input v4 (for KWin, a desktop file must name this program)\n");
    return 2;
  }
  zwlr_virtual_pointer_v1* pointer = nullptr;
  if (manager != nullptr)
    pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat);
  else
    org_kde_kwin_fake_input_authenticate(fake, "quillmere tests", "input for the saver's tests");
  wl_display_roundtrip(display);
  // Clients learn of the seat's new pointer before they are sent its events;
  // KWin's seat has one only while a fake-input client is connected.
  std::this_thread::sleep_for(std::chrono::milliseconds(fake ? 500 : 300));
  std::cout << "ready" << std::endl;
  std::uint32_t time = 0;
  for (std::string line; std::getline(std::cin, line);) {
    std::istringstream words(line);
    std::string command;
    double x = 0, y = 0;
    words >> command >> x >> y;
    time += 10;
    const std::uint32_t button = x == 3 ? BTN_RIGHT : x == 2 ? BTN_MIDDLE : BTN_LEFT;
    if (fake ? !Fake(command, x, y, button) : !Virtual(pointer, command, x, y, button, width, height, time)) {
      std::fprintf(stderr, "virtual_pointer: unknown command \"%s\"\n", line.c_str());
      return 2;
    }
    wl_display_roundtrip(display);
    std::cout << "ok" << std::endl;
  }
  if (pointer != nullptr) zwlr_virtual_pointer_v1_destroy(pointer);
  wl_display_disconnect(display);
  return 0;
}
