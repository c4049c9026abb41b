// quillmere-sample WxH FILE.png: writes the built-in sample desktop.
#include <cstdio>
#include <exception>
#include <string>

#include "headless/png_io.h"
#include "headless/sample_desktop.h"
#include "headless/screen_limit.h"

int main(int argc, char** argv) {
  int width = 0, height = 0;
  char rest = 0;
  if (argc != 3 || std::sscanf(argv[1], "%dx%d%c", &width, &height, &rest) != 2 || width <= 0 ||
      height <= 0 || width > kMaxScreenSide || height > kMaxScreenSide) {
    std::fprintf(stderr, "usage: quillmere-sample WxH FILE.png\n");
    return 2;
  }
  try {
    WritePng(argv[2], DrawSampleDesktop(width, height));
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "quillmere-sample: %s\n", failure.what());
    return 1;
  }
  return 0;
}
