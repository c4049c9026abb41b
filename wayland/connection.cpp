#include "wayland/connection.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace wayland {

namespace {

// libwayland's complaints have no listener of their own: they go to the
// connection open now, for the one line the saver prints.
Connection* logging = nullptr;

void KeepLog(const char* format, va_list args) {
  if (logging != nullptr) logging->KeepLog(format, args);
}

void OnGlobal(void* data, wl_registry*, std::uint32_t name, const char* interface,
              std::uint32_t version) {
  auto* self = static_cast<Connection*>(data);
  self->AddGlobal({name, interface, version});
}

void OnGlobalRemove(void* data, wl_registry*, std::uint32_t name) {
  static_cast<Connection*>(data)->RemoveGlobal(name);
}

const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

}  // namespace

void Connection::AddGlobal(const Global& global) {
  globals_.push_back(global);
}

void Connection::RemoveGlobal(std::uint32_t name) {
  std::erase_if(globals_, [name](const Global& g) { return g.name == name; });
  if (onGlobalRemoved) onGlobalRemoved(name);
}

void Connection::KeepLog(const char* format, va_list args) {
  char text[512];
  std::vsnprintf(text, sizeof text, format, args);
  lastLog_ = text;
  while (!lastLog_.empty() && lastLog_.back() == '\n') lastLog_.pop_back();
}

Connection::Connection(int stopFd) : stopFd_(stopFd) {
  logging = this;
  wl_log_set_handler_client(wayland::KeepLog);
  const char* name = std::getenv("WAYLAND_DISPLAY");
  if (name == nullptr || *name == 0)
    throw BadSurroundings("WAYLAND_DISPLAY is not set: no Wayland compositor to show on");
  display_ = wl_display_connect(nullptr);
  if (display_ == nullptr)
    throw BadSurroundings(std::string("cannot connect to the Wayland compositor \"") + name +
                          "\": " + std::strerror(errno));
  registry_ = wl_display_get_registry(display_);
  wl_registry_add_listener(registry_, &kRegistryListener, this);
  Roundtrip();
}

Connection::~Connection() {
  if (logging == this) logging = nullptr;
  if (display_ == nullptr) return;
  wl_registry_destroy(registry_);
  wl_display_flush(display_);
  wl_display_disconnect(display_);
}

void Connection::Abandon() {
  if (display_ == nullptr) return;
  // A plain close: the parent still holds the same socket.
  wl_display_disconnect(display_);
  display_ = nullptr;
}

void* Connection::Bind(const wl_interface& interface, std::uint32_t version, std::uint32_t name) {
  for (const Global& g : globals_)
    if (g.interface == interface.name && (name == 0 || g.name == name))
      return wl_registry_bind(registry_, g.name, &interface, std::min(version, g.version));
  return nullptr;
}

std::uint32_t Connection::VersionOf(const wl_interface& interface) const {
  for (const Global& g : globals_)
    if (g.interface == interface.name) return g.version;
  return 0;
}

void Connection::Check(int result) {
  if (result >= 0) return;
  const int error = wl_display_get_error(display_);
  if (error != EPROTO) throw ConnectionLost("lost the connection to the Wayland compositor");
  const wl_interface* interface = nullptr;
  std::uint32_t id = 0;
  const std::uint32_t code = wl_display_get_protocol_error(display_, &interface, &id);
  std::string line = "protocol error " + std::to_string(code) + " on " +
                     (interface ? interface->name : "an unknown interface") + "@" + std::to_string(id);
  // libwayland logs the compositor's own words as "interface@id: error code: text".
  if (const auto colon = lastLog_.find(": error "); colon != std::string::npos) {
    const auto text = lastLog_.find(": ", colon + 2);
    if (text != std::string::npos) line += ": " + lastLog_.substr(text + 2);
  }
  throw ConnectionFailed(line);
}

bool Connection::Wait(std::optional<Clock::time_point> until, int fd, bool woken) {
  while (wl_display_prepare_read(display_) != 0) Check(wl_display_dispatch_pending(display_));
  // A full socket takes the rest once the compositor has read some.
  const bool unsent = wl_display_flush(display_) < 0 && errno == EAGAIN;
  const int timeout = RunLoop::MillisecondsUntil(Clock::now(), until);
  const short events = short((woken ? POLLIN : 0) | (unsent ? POLLOUT : 0));
  pollfd waits[2] = {{wl_display_get_fd(display_), events, 0}, {fd, POLLIN, 0}};
  if (poll(waits, fd < 0 ? 1 : 2, timeout) < 0 && errno != EINTR) {
    wl_display_cancel_read(display_);
    throw ConnectionFailed(std::string("poll: ") + std::strerror(errno));
  }
  // Unwoken, what came meanwhile is read all the same: the read never blocks.
  if (!woken || waits[0].revents & (POLLIN | POLLHUP | POLLERR))
    Check(wl_display_read_events(display_));
  else
    wl_display_cancel_read(display_);
  Check(wl_display_dispatch_pending(display_));
  return fd >= 0 && waits[1].revents != 0;
}

bool Connection::WaitUntil(const std::function<bool()>& done, Clock::time_point until) {
  while (!done()) {
    if (Clock::now() >= until) return false;
    if (Wait(until, stopFd_)) throw Stopped();
  }
  return true;
}

void Connection::WaitFor(const std::function<bool()>& done, const char* what, Clock::duration limit) {
  if (!WaitUntil(done, Clock::now() + limit))
    throw ConnectionFailed(std::string("the compositor did not answer ") + what + " in time");
}

void Connection::Roundtrip() {
  bool done = false;
  static const wl_callback_listener listener = {
      [](void* data, wl_callback* callback, std::uint32_t) {
        *static_cast<bool*>(data) = true;
        wl_callback_destroy(callback);
      }};
  wl_callback_add_listener(wl_display_sync(display_), &listener, &done);
  WaitFor([&] { return done; }, "a round trip");
}

}  // namespace wayland
