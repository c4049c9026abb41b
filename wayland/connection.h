#pragma once
// One connection to the compositor: the globals it offers, waiting for its
// events without ever blocking past a deadline, and its failures turned into
// exceptions that say what went wrong in one line.
#include <wayland-client.h>

#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/run_loop.h"

namespace wayland {

using Clock = RunLoop::Clock;

// Surroundings the saver cannot run in: one line on stderr, exit status 2.
class BadSurroundings : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
// The compositor closed the connection: exit status 1.
class ConnectionLost : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
// The compositor refused a request or did not answer: exit status 1.
class ConnectionFailed : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
// A wait was cut short by a byte on the stop descriptor: the saver ends.
class Stopped : public std::exception {};

// A listener's slot for an event the saver has no use for: libwayland
// aborts on an event whose slot is empty.
template <typename... Args>
void Ignore(Args...) {}

struct Global {
  std::uint32_t name;
  std::string interface;
  std::uint32_t version;
};

class Connection {
 public:
  // Connects to the compositor WAYLAND_DISPLAY names and learns its globals.
  // Throws BadSurroundings. A byte readable on `stopFd` (if not -1) cuts
  // short every wait but Wait's: they throw Stopped.
  explicit Connection(int stopFd = -1);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  wl_display* Display() const { return display_; }
  const std::vector<Global>& Globals() const { return globals_; }
  // Binds the global of that registry name, or the first of that interface
  // when `name` is 0, at the lower of its version and `version`; null if
  // there is none.
  void* Bind(const wl_interface& interface, std::uint32_t version, std::uint32_t name = 0);
  std::uint32_t VersionOf(const wl_interface& interface) const;

  // Called for globals that go.
  std::function<void(std::uint32_t name)> onGlobalRemoved;

  // Sends what is queued, waits until the compositor sends something (if
  // `woken`), `fd` (if not -1) is readable or `until` passes, and dispatches
  // what came. Returns whether `fd` is readable.
  bool Wait(std::optional<Clock::time_point> until, int fd = -1, bool woken = true);
  // Waits until `done` holds: false if `until` passed first.
  bool WaitUntil(const std::function<bool()>& done, Clock::time_point until);
  // Waits until `done` holds; throws ConnectionFailed after `limit`.
  void WaitFor(const std::function<bool()>& done, const char* what,
               Clock::duration limit = std::chrono::seconds(5));
  void Roundtrip();

  // The registry's news, from its listener.
  void AddGlobal(const Global& global);
  void RemoveGlobal(std::uint32_t name);

  // Closes this process's copy of the connection without a word to the
  // compositor: for a child that inherited it.
  void Abandon();

  // libwayland's last complaint, kept for the line a protocol error prints.
  void KeepLog(const char* format, va_list args);

 private:
  // Throws for a failed libwayland call, naming a protocol error.
  void Check(int result);

  int stopFd_;
  wl_display* display_ = nullptr;
  wl_registry* registry_ = nullptr;
  std::vector<Global> globals_;
  std::string lastLog_;
};

}  // namespace wayland
