// quillmere-render: runs the screensaver headless over a desktop picture and
// writes chosen frames as PNG, with an optional per-tick trace.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "core/sample_desktop.h"
#include "headless/png_io.h"
#include "headless/render_options.h"
#include "headless/saver_run.h"
#include "headless/trace.h"

namespace {

Raster LoadDesktop(const RenderOptions& options) {
  if (!options.desktop) return DrawSampleDesktop(options.width, options.height);
  try {
    return ReadPng(*options.desktop, kMaxScreenSide);
  } catch (const PngError& error) {
    throw BadInput(std::string("--desktop: ") + error.what());
  }
}

void PrepareOutDir(const RenderOptions& options) {
  if (options.frames.empty()) return;
  std::error_code error;
  std::filesystem::create_directories(options.outDir, error);
  if (error || !std::filesystem::is_directory(options.outDir))
    throw BadInput("--out: cannot create directory \"" + options.outDir + "\"" +
                   (error ? ": " + error.message() : ""));
}

std::ofstream OpenTrace(const RenderOptions& options) {
  std::ofstream trace;
  if (!options.trace) return trace;
  trace.open(*options.trace, std::ios::binary | std::ios::trunc);
  if (!trace)
    throw BadInput("--trace: cannot create \"" + *options.trace + "\": " + std::strerror(errno));
  return trace;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const RenderOptions options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (options.help) {
      std::cout << kUsage;
      return 0;
    }
    // Everything that can be refused is refused before the first tick.
    Raster desktop = LoadDesktop(options);
    PrepareOutDir(options);
    std::ofstream trace = OpenTrace(options);

    const SaverRun run{options.seed, options.ticks, options.keys};
    RunSaver(std::move(desktop), run, [&](int tick, const Raster& window) {
      if (trace.is_open()) trace << TraceRecord(tick) << '\n';
      if (std::binary_search(options.frames.begin(), options.frames.end(), tick)) {
        const auto path = std::filesystem::path(options.outDir) / ("frame-" + std::to_string(tick) + ".png");
        WritePng(path.string(), window);
        std::cout << path.string() << '\n';
      }
    });
    if (trace.is_open() && !trace.flush())
      throw std::runtime_error("cannot write \"" + *options.trace + "\"");
  } catch (const BadInput& error) {
    std::cerr << "quillmere-render: " << error.what() << '\n';
    return 2;
  } catch (const std::exception& error) {
    std::cerr << "quillmere-render: " << error.what() << '\n';
    return 1;
  }
  std::cout.flush();
  return std::cout ? 0 : 1;
}
