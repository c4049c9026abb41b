// fake_input: a pointer and keyboard for the seat of KWin, which offers
// org_kde_kwin_fake_input (to a client its desktop file lets have it), for
// tests where no real device exists. The same lines on stdin as
// virtual_pointer's, and "ready" and "ok" likewise:
//   move X Y     the pointer to (X, Y) of the output layout, in its units
//   nudge DX DY  the pointer by (DX, DY), as a mouse moves it
//   button N     button N (1 left, 2 middle, 3 right) pressed and released
//   press N, release N   the one or the other
//   key CODE     the key of that evdev code pressed and released
#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "protocols/fake-input.h"

namespace {

org_kde_kwin_fake_input* manager = nullptr;

void OnGlobal(void*, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
  if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
    manager = static_cast<org_kde_kwin_fake_input*>(
        wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
}

void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}

}  // namespace

int main() {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "fake_input: no compositor\n");
    return 2;
  }
  static const wl_registry_listener listener = {OnGlobal, OnGlobalRemove};
  wl_registry_add_listener(wl_display_get_registry(display), &listener, nullptr);
  wl_display_roundtrip(display);
  if (manager == nullptr) {
    std::fprintf(stderr, "fake_input: no org_kde_kwin_fake_input v4 (is the client authorised?)\n");
    return 2;
  }
  org_kde_kwin_fake_input_authenticate(manager, "quillmere tests", "input for the saver's tests");
  wl_display_roundtrip(display);
  // The seat gains its pointer now: clients must have asked for theirs
  // before its first event is sent.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  std::cout << "ready" << std::endl;
  for (std::string line; std::getline(std::cin, line);) {
    std::istringstream words(line);
    std::string command;
    double x = 0, y = 0;
    words >> command >> x >> y;
    const auto button = std::uint32_t(x == 3 ? BTN_RIGHT : x == 2 ? BTN_MIDDLE : BTN_LEFT);
    if (command == "move") {
      org_kde_kwin_fake_input_pointer_motion_absolute(manager, wl_fixed_from_double(x), wl_fixed_from_double(y));
    } else if (command == "nudge") {
      org_kde_kwin_fake_input_pointer_motion(manager, wl_fixed_from_double(x), wl_fixed_from_double(y));
    } else if (command == "button" || command == "press" || command == "release") {
      if (command != "release") org_kde_kwin_fake_input_button(manager, button, WL_POINTER_BUTTON_STATE_PRESSED);
      if (command != "press") org_kde_kwin_fake_input_button(manager, button, WL_POINTER_BUTTON_STATE_RELEASED);
    } else if (command == "key") {
      org_kde_kwin_fake_input_keyboard_key(manager, std::uint32_t(x), WL_KEYBOARD_KEY_STATE_PRESSED);
      org_kde_kwin_fake_input_keyboard_key(manager, std::uint32_t(x), WL_KEYBOARD_KEY_STATE_RELEASED);
    } else {
      std::fprintf(stderr, "fake_input: unknown command \"%s\"\n", line.c_str());
      return 2;
    }
    wl_display_roundtrip(display);
    std::cout << "ok" << std::endl;
  }
  org_kde_kwin_fake_input_destroy(manager);
  wl_display_disconnect(display);
  return 0;
}
