#include "wayland/kwin_screenshot.h"

#include <fcntl.h>
#include <poll.h>
#include <systemd/sd-bus.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "wayland/capture.h"
#include "wayland/connection.h"

namespace wayland {

namespace {

constexpr auto kAnswerLimit = std::chrono::seconds(5);
// As for a wallpaper elsewhere: an 8K output fits.
constexpr std::uint64_t kMostPixels = std::uint64_t(1) << 25;
constexpr std::uint64_t kMostBytes = kMostPixels * 4;

// What KWin sends back: the pixels' layout, as Qt's image formats number
// them, and their size. Its scale (pixels to the output's units) is not
// needed: the picture is stretched to the board's pixel size where the two
// differ.
struct Shot {
  bool answered = false, refused = false;
  std::string refusal;
  std::string type;
  std::uint32_t format = 0, width = 0, height = 0, stride = 0;
  std::vector<std::uint8_t> bytes;
  bool ended = false;  // the pipe's end of file
};

// Qt's 32-bit formats: RGB32, ARGB32 and its premultiplied kind are words
// 0xAARRGGBB (B, G, R first in a little-endian memory); RGBX8888, RGBA8888 and
// its premultiplied kind are bytes R, G, B first. The screen is opaque, so
// premultiplied or not is alike.
bool BlueFirst(std::uint32_t format) {
  return std::endian::native == std::endian::little && format >= 4 && format <= 6;
}
bool RedFirst(std::uint32_t format) { return format >= 16 && format <= 18; }

// The size the answer announces, or 0 where the picture cannot be read.
std::uint64_t ExpectedBytes(const Shot& s) {
  const std::uint64_t pixels = std::uint64_t(s.width) * s.height;
  const bool readable = s.type == "raw" && (BlueFirst(s.format) || RedFirst(s.format)) && s.width > 0 &&
                        s.height > 0 && pixels <= kMostPixels && s.stride >= std::uint64_t(s.width) * 4 &&
                        std::uint64_t(s.stride) * s.height <= kMostBytes;
  return readable ? std::uint64_t(s.stride) * s.height : 0;
}

// One entry of the answer's dictionary, where its value is of the type
// looked for; any other is passed over.
template <typename T>
void ReadEntry(sd_bus_message* m, const char* type, T* into) {
  const char* contents = nullptr;
  if (sd_bus_message_peek_type(m, nullptr, &contents) > 0 && contents != nullptr &&
      std::strcmp(contents, type) == 0)
    sd_bus_message_read(m, "v", type, into);
  else
    sd_bus_message_skip(m, "v");
}

int OnAnswer(sd_bus_message* m, void* data, sd_bus_error*) {
  auto& s = *static_cast<Shot*>(data);
  s.answered = true;
  if (const sd_bus_error* error = sd_bus_message_get_error(m)) {
    // Only KWin's own refusal is said: no KWin on the bus means another
    // compositor, and a late answer is as screencopy's, silent.
    s.refused = true;
    if (std::string_view(error->name).starts_with("org.kde.KWin."))
      s.refusal = std::string(error->name) + (error->message ? std::string(": ") + error->message : "");
    return 0;
  }
  if (sd_bus_message_enter_container(m, 'a', "{sv}") <= 0) return 0;
  while (sd_bus_message_enter_container(m, 'e', "sv") > 0) {
    const char* key = nullptr;
    if (sd_bus_message_read(m, "s", &key) <= 0) break;
    const std::string name = key;
    const char* type = nullptr;
    if (name == "type") {
      ReadEntry(m, "s", &type);
      s.type = type ? type : "";
    } else if (name == "format" || name == "width" || name == "height" || name == "stride") {
      ReadEntry(m, "u", name == "format" ? &s.format : name == "width" ? &s.width
                        : name == "height"                            ? &s.height
                                                                      : &s.stride);
    } else {
      sd_bus_message_skip(m, "v");
    }
    sd_bus_message_exit_container(m);
  }
  return 0;
}

// Reads what the pipe holds now; false once more came than can be read.
bool Drain(int fd, Shot& s) {
  constexpr std::size_t kChunk = std::size_t(1) << 20;
  while (true) {
    const std::size_t had = s.bytes.size();
    s.bytes.resize(had + kChunk);
    const ssize_t count = read(fd, s.bytes.data() + had, kChunk);
    s.bytes.resize(had + std::size_t(std::max<ssize_t>(count, 0)));
    if (count == 0) s.ended = true;
    if (count <= 0) return count == 0 || errno == EAGAIN || errno == EINTR;
    if (s.bytes.size() > kMostBytes) return false;
  }
}

// The bus's own next deadline (in CLOCK_MONOTONIC microseconds) as a point
// of our clock, which is the same one.
Clock::time_point BusDeadline(sd_bus* bus, Clock::time_point until) {
  std::uint64_t usec = 0;
  if (sd_bus_get_timeout(bus, &usec) < 0 || usec == UINT64_MAX) return until;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const std::int64_t left = std::int64_t(usec) - (std::int64_t(now.tv_sec) * 1000000 + now.tv_nsec / 1000);
  return std::min(until, Clock::now() + std::chrono::microseconds(std::max<std::int64_t>(left, 0)));
}

struct Closer {
  int fd;
  ~Closer() {
    if (fd >= 0) close(fd);
  }
};

// Sends the request and waits for the answer and every byte of the pixels,
// or until `until`, a signal or a failure.
bool Take(sd_bus* bus, const std::string& outputName, int signalFd, Shot& shot) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return false;
  Closer reading{ends[0]}, writing{ends[1]};
  // KWin writes into a blocking pipe; only our end waits on poll.
  fcntl(reading.fd, F_SETFL, O_NONBLOCK);
  fcntl(reading.fd, F_SETPIPE_SZ, 1 << 20);  // fewer wake-ups; a smaller one does too
  sd_bus_message* request = nullptr;
  if (sd_bus_message_new_method_call(bus, &request, "org.kde.KWin", "/org/kde/KWin/ScreenShot2",
                                     "org.kde.KWin.ScreenShot2", "CaptureScreen") < 0)
    return false;
  sd_bus_message_set_auto_start(request, 0);  // never starts a compositor
  // The request holds its own copy of the write end until it is sent.
  int sent = sd_bus_message_append(request, "sa{sv}h", outputName.c_str(), 1, "native-resolution", "b", 1,
                                   writing.fd);
  if (sent >= 0)
    sent = sd_bus_call_async(bus, nullptr, request, OnAnswer, &shot,
                             std::chrono::microseconds(kAnswerLimit).count());
  sd_bus_message_unref(request);
  close(writing.fd), writing.fd = -1;  // else the pipe never ends
  if (sent < 0) return false;

  const auto until = Clock::now() + kAnswerLimit;
  while (true) {
    int processed;
    while ((processed = sd_bus_process(bus, nullptr)) > 0) {
    }
    if (processed < 0) return false;
    if (shot.answered && (shot.refused || ExpectedBytes(shot) == 0)) return false;
    if (shot.answered && shot.ended) return true;
    if (Clock::now() >= until) return false;
    const auto wake = BusDeadline(bus, until);
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(wake - Clock::now()).count();
    pollfd waits[3] = {{sd_bus_get_fd(bus), short(std::max(sd_bus_get_events(bus), 0)), 0},
                       {shot.ended ? -1 : reading.fd, POLLIN, 0},
                       {signalFd, POLLIN, 0}};
    if (poll(waits, 3, int(std::clamp<std::int64_t>(left, 0, 1 << 30))) < 0 && errno != EINTR) return false;
    if (waits[2].revents != 0) return false;  // left for the board to read
    if (waits[1].revents != 0 && !Drain(reading.fd, shot)) return false;
  }
}

}  // namespace

std::optional<Raster> CaptureScreen(const std::string& outputName, int signalFd) {
  if (outputName.empty()) return std::nullopt;  // a wl_output before version 4 names none
  sd_bus* bus = nullptr;
  if (sd_bus_open_user(&bus) < 0) return std::nullopt;
  Shot shot;
  const bool taken = Take(bus, outputName, signalFd, shot);
  sd_bus_close_unref(bus);
  if (!shot.refusal.empty()) {
    const bool unnamed = shot.refusal.find(".NoAuthorized") != std::string::npos;
    std::fprintf(stderr, "quillmere-wayland: KWin gave no picture of %s (%s)%s: the sample desktop instead\n",
                 outputName.c_str(), shot.refusal.c_str(),
                 unnamed ? "; it gives one only to a program its installed desktop file names" : "");
  }
  if (!taken || shot.bytes.size() != ExpectedBytes(shot)) return std::nullopt;
  return PictureOf32(shot.bytes.data(), int(shot.width), int(shot.height), int(shot.stride),
                     RedFirst(shot.format), false);
}

}  // namespace wayland
