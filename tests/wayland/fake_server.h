#pragma once
// The fake compositor's "serve" mode: outputs with a picture each, surfaces
// that keep the last frame committed on them, the layer shell, screencopy
// at version 2 and a seat with a keyboard and a touchscreen; nothing is
// drawn anywhere. What a test asks of it arrives as lines on stdin.
#include <wayland-server.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/raster.h"

namespace fake {

struct Surface;

struct Output {
  int index = 0;  // from 1, as the commands name it
  int width = 0, height = 0, scale = 1;
  int configureWidth = -1, configureHeight = -1;  // sent instead of its size, where set
  Raster picture;  // what screencopy gives of it
  bool redFirst = false, yInverted = false;
  int lateMs = 0;  // how long a capture waits for its answer
  wl_global* global = nullptr;
  std::vector<wl_resource*> resources;
  // Its cover's last frame, as the client's XRGB words, and every buffer
  // size and scale it committed, once each time it changed ("WxH@S").
  std::vector<std::uint8_t> frame;
  int frameWidth = 0, frameHeight = 0;
  std::vector<std::string> sizes;
};

struct Server {
  wl_display* display = nullptr;
  std::vector<std::unique_ptr<Output>> outputs;
  std::vector<Surface*> covers;  // surfaces with the layer role
  bool badKeymap = false;  // a keymap whose size is more than its file holds
  wl_resource* touch = nullptr;
  std::uint32_t serial = 0;
};

// Offers the globals of `server.outputs` and the rest on its display.
void Offer(Server& server);
// One line of a test's: the answer to print.
std::string Command(Server& server, const std::string& line);

}  // namespace fake
