// x11_probe: the tests' hands and eyes on an X display, independent of the
// hack's own code: it puts a picture on the root window, photographs a window
// into a PNG, holds a test window open and resizes it, and scales pictures.
//   x11_probe set-root PICTURE.png
//   x11_probe shot root|ID OUT.png
//   x11_probe black root|ID X Y W H   (exit 0 if all of that rectangle is black)
//   x11_probe framed root|ID    (prints how many cells of the window's 8 x 8
//                               grid show a whole lavender frame)
//   x11_probe window W H        (prints the id; stdin: "resize W H", EOF ends)
//   x11_probe input-only W H    (the same, a window that cannot be drawn on)
//   x11_probe scale IN.png W H OUT.png   (nearest neighbour, as the core stretches)
//   x11_probe cursor            (prints "shown" or "hidden": whether the pointer's
//                               cursor has a pixel that is not transparent)
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string>

#include "headless/png_io.h"

namespace {

Display* Open() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "x11_probe: cannot open the display\n");
    std::exit(2);
  }
  return display;
}

// The 8-bit value of one channel, by way of the visual's mask (any depth).
int Channel(unsigned long pixel, unsigned long mask) {
  int shift = 0, bits = 0;
  while (!(mask >> shift & 1)) ++shift;
  while (mask >> (shift + bits) & 1) ++bits;
  const unsigned long v = (pixel & mask) >> shift;
  return int(v * 255 / ((1ul << bits) - 1));
}

int SetRoot(const std::string& path) {
  const Raster picture = ReadPng(path);
  Display* display = Open();
  const int screen = DefaultScreen(display);
  const Window root = RootWindow(display, screen);
  Visual* visual = DefaultVisual(display, screen);
  XImage* image = XCreateImage(display, visual, unsigned(DefaultDepth(display, screen)), ZPixmap, 0,
                               nullptr, unsigned(picture.Width()), unsigned(picture.Height()), 32, 0);
  image->data = static_cast<char*>(std::malloc(std::size_t(image->bytes_per_line) * picture.Height()));
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) {
      const Color c = picture.Pixel(x, y);
      // TrueColor: scale each channel into its mask.
      auto place = [](int value, unsigned long mask) {
        int shift = 0, bits = 0;
        while (!(mask >> shift & 1)) ++shift;
        while (mask >> (shift + bits) & 1) ++bits;
        return (unsigned long)(value * ((1ul << bits) - 1) / 255) << shift;
      };
      XPutPixel(image, x, y,
                place(RedOf(c), visual->red_mask) | place(GreenOf(c), visual->green_mask) |
                    place(BlueOf(c), visual->blue_mask));
    }
  const Pixmap pixmap = XCreatePixmap(display, root, unsigned(picture.Width()),
                                      unsigned(picture.Height()), unsigned(DefaultDepth(display, screen)));
  const GC gc = XCreateGC(display, pixmap, 0, nullptr);
  XPutImage(display, pixmap, gc, image, 0, 0, 0, 0, unsigned(picture.Width()), unsigned(picture.Height()));
  XDestroyImage(image);
  XFreeGC(display, gc);
  XSetWindowBackgroundPixmap(display, root, pixmap);
  XClearWindow(display, root);
  // The pixmap outlives this process, as a desktop background does.
  XSetCloseDownMode(display, RetainPermanent);
  XSync(display, False);
  XCloseDisplay(display);
  return 0;
}

Raster Photograph(const std::string& which) {
  Display* display = Open();
  const Window window = which == "root" ? DefaultRootWindow(display) : std::stoul(which, nullptr, 0);
  XWindowAttributes attributes;
  XImage* image = XGetWindowAttributes(display, window, &attributes)
                      ? XGetImage(display, window, 0, 0, unsigned(attributes.width),
                                  unsigned(attributes.height), AllPlanes, ZPixmap)
                      : nullptr;
  if (image == nullptr) throw std::runtime_error("cannot read window " + which);
  Raster picture(attributes.width, attributes.height);
  const Visual* visual = attributes.visual;
  for (int y = 0; y < attributes.height; ++y)
    for (int x = 0; x < attributes.width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      picture.SetPixel(x, y, Rgb(Channel(pixel, visual->red_mask), Channel(pixel, visual->green_mask),
                                 Channel(pixel, visual->blue_mask)));
    }
  XDestroyImage(image);
  XCloseDisplay(display);
  return picture;
}

int Shot(const std::string& which, const std::string& out) {
  WritePng(out, Photograph(which));
  return 0;
}

int Black(const std::string& which, int left, int top, int width, int height) {
  const Raster picture = Photograph(which);
  if (left < 0 || top < 0 || left + width > picture.Width() || top + height > picture.Height())
    throw std::runtime_error("the rectangle lies outside the window");
  for (int y = top; y < top + height; ++y)
    for (int x = left; x < left + width; ++x)
      if (picture.Pixel(x, y) != Rgb(0, 0, 0)) {
        std::printf("(%d, %d) is %06x\n", x, y, picture.Pixel(x, y));
        return 1;
      }
  return 0;
}

int Framed(const std::string& which) {
  const Raster picture = Photograph(which);
  const int tw = picture.Width() / 8, th = picture.Height() / 8;
  const auto lavender = [&](int x, int y) { return picture.Pixel(x, y) == Rgb(180, 180, 250); };
  int framed = 0;
  for (int col = 0; col < 8; ++col)
    for (int row = 0; row < 8; ++row) {
      const int left = col * tw, top = row * th;
      bool whole = true;
      for (int x = left; x < left + tw; ++x) whole &= lavender(x, top) && lavender(x, top + th - 1);
      for (int y = top; y < top + th; ++y) whole &= lavender(left, y) && lavender(left + tw - 1, y);
      framed += whole;
    }
  std::printf("%d\n", framed);
  return 0;
}

int TestWindow(int width, int height, bool inputOnly) {
  Display* display = Open();
  const int screen = DefaultScreen(display);
  const Window window =
      inputOnly ? XCreateWindow(display, RootWindow(display, screen), 0, 0, unsigned(width),
                                unsigned(height), 0, 0, InputOnly, CopyFromParent, 0, nullptr)
                : XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, unsigned(width),
                                      unsigned(height), 0, 0, WhitePixel(display, screen));
  XMapWindow(display, window);
  XSync(display, False);
  std::cout << "0x" << std::hex << window << std::dec << std::endl;
  std::string command;
  while (std::cin >> command) {
    if (command == "resize") {
      std::cin >> width >> height;
      XResizeWindow(display, window, unsigned(width), unsigned(height));
      XSync(display, False);
      std::cout << "ok" << std::endl;
    } else if (command == "destroy") {
      XDestroyWindow(display, window);
      XSync(display, False);
      std::cout << "ok" << std::endl;
    }
  }
  XCloseDisplay(display);
  return 0;
}

int CursorShown() {
  Display* display = Open();
  XFixesCursorImage* cursor = XFixesGetCursorImage(display);
  if (cursor == nullptr) throw std::runtime_error("no cursor image");
  bool shown = false;
  for (int i = 0; i < cursor->width * cursor->height; ++i) shown |= (cursor->pixels[i] >> 24 & 0xff) != 0;
  XFree(cursor);
  XCloseDisplay(display);
  std::cout << (shown ? "shown" : "hidden") << '\n';
  return 0;
}

int Scale(const std::string& in, int width, int height, const std::string& out) {
  const Raster picture = ReadPng(in);
  Raster scaled(width, height);
  scaled.StretchDraw({0, 0, width, height}, picture);
  WritePng(out, scaled);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  try {
    if (command == "set-root" && argc == 3) return SetRoot(argv[2]);
    if (command == "shot" && argc == 4) return Shot(argv[2], argv[3]);
    if (command == "black" && argc == 7)
      return Black(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                   std::atoi(argv[6]));
    if (command == "framed" && argc == 3) return Framed(argv[2]);
    if ((command == "window" || command == "input-only") && argc == 4)
      return TestWindow(std::atoi(argv[2]), std::atoi(argv[3]), command == "input-only");
    if (command == "scale" && argc == 6)
      return Scale(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), argv[5]);
    if (command == "cursor" && argc == 2) return CursorShown();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "x11_probe: %s\n", error.what());
    return 2;
  }
  std::fprintf(stderr, "usage: x11_probe set-root PNG | shot root|ID PNG | black root|ID X Y W H | framed root|ID | window W H | input-only W H | scale IN W H OUT | cursor\n");
  return 2;
}
