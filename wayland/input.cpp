#include "wayland/input.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace wayland {

namespace {

// The saver window's button numbers: the pointer's from 0 (BTN_LEFT, in
// Linux's input codes, is 0x110), the fingers' from 32.
constexpr std::uint32_t kFirstButton = 0x110;
constexpr int kFirstFinger = 32;
int ButtonNumber(std::uint32_t button) { return int((button - kFirstButton) & 31); }
int FingerNumber(std::int32_t id) { return kFirstFinger + (id & 31); }
// The releases that will not come: the pointer's buttons, or the fingers.
void PointerLost(MForm_unit::TMForm& form) { form.FormMouseLost(0, kFirstFinger); }
void TouchesLost(MForm_unit::TMForm& form) { form.FormMouseLost(kFirstFinger, 32); }

// Every slot is filled: libwayland aborts on an event without a handler.
const wl_seat_listener kSeatListener = {Input::OnCapabilities, Ignore};
const wl_pointer_listener kPointerListener = {
    Input::OnEnter, Input::OnLeave, Input::OnMotion, Input::OnButton, Ignore,
    Ignore,         Ignore,         Ignore,          Ignore,          Ignore};
const wl_touch_listener kTouchListener = {Input::OnTouchDown, Input::OnTouchUp, Ignore, Ignore,
                                          Input::OnTouchCancel, Ignore, Ignore};
const wl_keyboard_listener kKeyboardListener = {Input::OnKeymap, Ignore,
                                                Input::OnKeyboardLeave, Input::OnKey,
                                                Input::OnModifiers, Input::OnRepeatInfo};

// Given back with `release` where the seat knows it, so that the compositor
// frees its side too.
template <typename Device>
void Release(Device* device, void (*release)(Device*), void (*destroy)(Device*)) {
  if (device == nullptr) return;
  if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(device)) >= 3)
    release(device);
  else
    destroy(device);
}

void ReleasePointer(wl_pointer* p) { Release(p, wl_pointer_release, wl_pointer_destroy); }
void ReleaseKeyboard(wl_keyboard* k) { Release(k, wl_keyboard_release, wl_keyboard_destroy); }
void ReleaseTouch(wl_touch* t) { Release(t, wl_touch_release, wl_touch_destroy); }

}  // namespace

Input::Input(wl_seat* seat, MForm_unit::TMForm& form) : seat_(seat), form_(form) {
  context_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  if (seat_ != nullptr) wl_seat_add_listener(seat_, &kSeatListener, this);
}

Input::~Input() {
  ReleasePointer(pointer_);
  ReleaseKeyboard(keyboard_);
  ReleaseTouch(touch_);
  if (seat_ != nullptr) wl_seat_destroy(seat_);
  xkb_state_unref(state_);
  xkb_keymap_unref(keymap_);
  xkb_context_unref(context_);
}

void Input::HidePointer(bool hide) {
  hidden_ = hide;
  ApplyCursor();
}

void Input::ApplyCursor() {
  // Showing means leaving the compositor's own cursor to come back.
  if (pointer_ != nullptr && inside_ && hidden_) wl_pointer_set_cursor(pointer_, enterSerial_, nullptr, 0, 0);
}

void Input::OnCapabilities(void* data, wl_seat*, std::uint32_t capabilities) {
  auto* self = static_cast<Input*>(data);
  const bool pointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
  const bool keyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
  const bool touch = capabilities & WL_SEAT_CAPABILITY_TOUCH;
  if (pointer && self->pointer_ == nullptr) {
    self->pointer_ = wl_seat_get_pointer(self->seat_);
    wl_pointer_add_listener(self->pointer_, &kPointerListener, self);
  } else if (!pointer && self->pointer_ != nullptr) {
    ReleasePointer(self->pointer_);
    self->pointer_ = nullptr;
    self->inside_ = false;
    PointerLost(self->form_);
  }
  if (keyboard && self->keyboard_ == nullptr) {
    self->keyboard_ = wl_seat_get_keyboard(self->seat_);
    wl_keyboard_add_listener(self->keyboard_, &kKeyboardListener, self);
  } else if (!keyboard && self->keyboard_ != nullptr) {
    ReleaseKeyboard(self->keyboard_);
    self->keyboard_ = nullptr;
    self->repeatDue_.reset();
  }
  if (touch && self->touch_ == nullptr) {
    self->touch_ = wl_seat_get_touch(self->seat_);
    wl_touch_add_listener(self->touch_, &kTouchListener, self);
  } else if (!touch && self->touch_ != nullptr) {
    ReleaseTouch(self->touch_);
    self->touch_ = nullptr;
    TouchesLost(self->form_);
  }
}

// Coming in over the surface is no movement of the user's.
void Input::OnEnter(void* data, wl_pointer*, std::uint32_t serial, wl_surface*, wl_fixed_t, wl_fixed_t) {
  auto* self = static_cast<Input*>(data);
  self->enterSerial_ = serial;
  self->inside_ = true;
  self->ApplyCursor();
}

// The pointer was taken from the surface, held buttons and all (by a locker,
// say): no release will come here for what was pressed.
void Input::OnLeave(void* data, wl_pointer*, std::uint32_t, wl_surface*) {
  auto* self = static_cast<Input*>(data);
  self->inside_ = false;
  PointerLost(self->form_);
}

void Input::OnMotion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
  auto* self = static_cast<Input*>(data);
  self->form_.FormMouseMove(std::int32_t(wl_fixed_to_double(x) * self->scale_),
                            std::int32_t(wl_fixed_to_double(y) * self->scale_));
}

void Input::OnButton(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button,
                     std::uint32_t state) {
  auto& form = static_cast<Input*>(data)->form_;
  if (state == WL_POINTER_BUTTON_STATE_PRESSED)
    form.FormMouseDown(ButtonNumber(button));
  else
    form.FormMouseUp(ButtonNumber(button));
}

void Input::OnTouchDown(void* data, wl_touch*, std::uint32_t, std::uint32_t, wl_surface*,
                        std::int32_t id, wl_fixed_t, wl_fixed_t) {
  static_cast<Input*>(data)->form_.FormMouseDown(FingerNumber(id));
}

void Input::OnTouchUp(void* data, wl_touch*, std::uint32_t, std::uint32_t, std::int32_t id) {
  static_cast<Input*>(data)->form_.FormMouseUp(FingerNumber(id));
}

// The compositor took the touches over: no up will come for them.
void Input::OnTouchCancel(void* data, wl_touch*) { TouchesLost(static_cast<Input*>(data)->form_); }

void Input::OnKeymap(void* data, wl_keyboard*, std::uint32_t format, int fd, std::uint32_t size) {
  auto* self = static_cast<Input*>(data);
  // A size past the end of the file would be read as SIGBUS.
  struct stat file{};
  const bool whole = fstat(fd, &file) == 0 && std::uint64_t(file.st_size) >= size;
  void* text = format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && size > 0 && whole
                   ? mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0)
                   : MAP_FAILED;
  close(fd);
  if (text == MAP_FAILED) return;
  xkb_keymap* keymap = xkb_keymap_new_from_buffer(self->context_, static_cast<const char*>(text),
                                                  size - 1, XKB_KEYMAP_FORMAT_TEXT_V1,
                                                  XKB_KEYMAP_COMPILE_NO_FLAGS);
  munmap(text, size);
  if (keymap == nullptr) return;
  xkb_state_unref(self->state_);
  xkb_keymap_unref(self->keymap_);
  self->keymap_ = keymap;
  self->state_ = xkb_state_new(keymap);
}

// A key that gives a character (control characters too, as on the other
// platforms) re-chooses the move; any other key does nothing.
void Input::OnKey(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key,
                  std::uint32_t state) {
  auto* self = static_cast<Input*>(data);
  if (state != WL_KEYBOARD_KEY_STATE_PRESSED) {
    if (key == self->repeatKey_) self->repeatDue_.reset();
    return;
  }
  const bool character = self->state_ != nullptr && xkb_state_key_get_utf32(self->state_, key + 8) != 0;
  if (!character) {
    self->form_.FormKeyDown();
    return;
  }
  self->form_.FormKeyPress();
  self->repeatDue_.reset();
  if (self->repeatEvery_.count() > 0 && xkb_keymap_key_repeats(self->keymap_, key + 8)) {
    self->repeatKey_ = key;
    self->repeatDue_ = Clock::now() + self->repeatDelay_;
  }
}

void Input::Repeat(Clock::time_point now) {
  for (; repeatDue_ && *repeatDue_ <= now; *repeatDue_ += repeatEvery_) form_.FormKeyPress();
}

void Input::OnKeyboardLeave(void* data, wl_keyboard*, std::uint32_t, wl_surface*) {
  static_cast<Input*>(data)->repeatDue_.reset();
}

void Input::OnRepeatInfo(void* data, wl_keyboard*, std::int32_t rate, std::int32_t delay) {
  auto* self = static_cast<Input*>(data);
  // At most a thousand a second, so that a repeat is always some time ahead.
  self->repeatEvery_ = rate > 0 ? std::max<Clock::duration>(Clock::duration(std::chrono::seconds(1)) / rate,
                                                            std::chrono::milliseconds(1))
                                : Clock::duration::zero();
  self->repeatDelay_ = std::chrono::milliseconds(std::max(delay, 0));
  if (rate <= 0) self->repeatDue_.reset();
}

void Input::OnModifiers(void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed,
                        std::uint32_t latched, std::uint32_t locked, std::uint32_t group) {
  auto* self = static_cast<Input*>(data);
  if (self->state_ != nullptr) xkb_state_update_mask(self->state_, depressed, latched, locked, 0, 0, group);
}

}  // namespace wayland
