#pragma once
// The seat's pointer, keyboard and touch over one surface, turned into the
// saver window's handlers (a finger is a button of its own); keys are read
// through the keymap the compositor sends.
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdint>
#include <optional>

#include "core/TMForm.h"
#include "wayland/connection.h"

namespace wayland {

class Input {
 public:
  // `seat` may be null: a seat without devices sends nothing either.
  Input(wl_seat* seat, MForm_unit::TMForm& form);
  ~Input();
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;

  // Surface coordinates times this are the frame's pixels.
  void SetScale(int scale) { scale_ = scale; }
  // Hides the pointer over the surface, now and whenever it comes back, or
  // shows it again.
  void HidePointer(bool hide);
  // A held character key repeats, as the compositor's settings say: when
  // the next repeat is due, and the repeats due by `now`.
  std::optional<Clock::time_point> RepeatDue() const { return repeatDue_; }
  void Repeat(Clock::time_point now);
  // The seat's word, through the listeners.
  static void OnCapabilities(void* data, wl_seat* seat, std::uint32_t capabilities);
  static void OnEnter(void* data, wl_pointer* pointer, std::uint32_t serial, wl_surface* surface,
                      wl_fixed_t x, wl_fixed_t y);
  static void OnLeave(void* data, wl_pointer* pointer, std::uint32_t serial, wl_surface* surface);
  static void OnMotion(void* data, wl_pointer* pointer, std::uint32_t time, wl_fixed_t x, wl_fixed_t y);
  static void OnButton(void* data, wl_pointer* pointer, std::uint32_t serial, std::uint32_t time,
                       std::uint32_t button, std::uint32_t state);
  static void OnTouchDown(void* data, wl_touch* touch, std::uint32_t serial, std::uint32_t time,
                          wl_surface* surface, std::int32_t id, wl_fixed_t x, wl_fixed_t y);
  static void OnTouchUp(void* data, wl_touch* touch, std::uint32_t serial, std::uint32_t time,
                        std::int32_t id);
  static void OnTouchCancel(void* data, wl_touch* touch);
  static void OnKeymap(void* data, wl_keyboard* keyboard, std::uint32_t format, int fd,
                       std::uint32_t size);
  static void OnKey(void* data, wl_keyboard* keyboard, std::uint32_t serial, std::uint32_t time,
                    std::uint32_t key, std::uint32_t state);
  static void OnModifiers(void* data, wl_keyboard* keyboard, std::uint32_t serial,
                          std::uint32_t depressed, std::uint32_t latched, std::uint32_t locked,
                          std::uint32_t group);
  static void OnKeyboardLeave(void* data, wl_keyboard* keyboard, std::uint32_t serial,
                              wl_surface* surface);
  static void OnRepeatInfo(void* data, wl_keyboard* keyboard, std::int32_t rate, std::int32_t delay);

 private:
  void ApplyCursor();

  wl_seat* seat_;
  MForm_unit::TMForm& form_;
  wl_pointer* pointer_ = nullptr;
  wl_keyboard* keyboard_ = nullptr;
  wl_touch* touch_ = nullptr;
  int scale_ = 1;
  bool hidden_ = false;
  std::uint32_t enterSerial_ = 0;
  bool inside_ = false;
  xkb_context* context_ = nullptr;
  xkb_keymap* keymap_ = nullptr;
  xkb_state* state_ = nullptr;
  std::uint32_t repeatKey_ = 0;
  std::optional<Clock::time_point> repeatDue_;
  Clock::duration repeatDelay_ = std::chrono::milliseconds(600);
  Clock::duration repeatEvery_ = std::chrono::milliseconds(40);  // zero: no repeats
};

}  // namespace wayland
