#pragma once
// The fake compositor's "serve" mode, for what sway does not do on demand.
// One output per argument PICTURE.png[,OPTION...], of the picture's size,
// which screencopy (version 2, offering its buffer twice) gives of it:
//   xbgr, y-invert   how the capture is laid out: red first, bottom row first
//   configure=WxH    its cover's size, instead of its own over its scale
//   mute             its captures are never answered
// and "--bad-keymap": the seat's keyboard gets a keymap whose size runs past
// the end of its file. The seat has a touchscreen. Nothing is drawn: a
// surface keeps its last frame. Each line on stdin is a command, answered
// with one line:
//   shot N PATH      output N's cover's last frame, as a PNG
//   sizes N          each buffer size and scale it committed ("WxH@S ...")
//   remove N         its global withdrawn
//   scale N S        its scale S, without a configure
//   configure N      its cover configured for its size over its scale
//   touch down|up|cancel   a finger on the first cover
#include <wayland-server.h>

#include <memory>
#include <string>
#include <vector>

namespace fake {

struct Server;

// Offers those outputs and the rest on `display`; throws std::runtime_error
// for an argument it does not know.
std::shared_ptr<Server> Serve(wl_display* display, const std::vector<std::string>& args);

}  // namespace fake
