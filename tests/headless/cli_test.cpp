// Runs the built quillmere-render as a user or a tool would.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "headless/png_io.h"
#include "scratch_dir.h"

namespace {

struct Result {
  int status = -1;
  std::string out, err;
};

std::string Slurp(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Numbers of "name":N or, with all entries, "name":[N,...] in a trace line.
std::vector<long> Field(const std::string& line, const std::string& name) {
  const auto at = line.find("\"" + name + "\":");
  if (at == std::string::npos) return {};
  std::vector<long> values;
  std::istringstream in(line.substr(at + name.size() + 3));
  const bool array = in.peek() == '[';
  if (array) in.get();
  for (long value; in >> value;) {
    values.push_back(value);
    if (!array || in.get() != ',') break;
  }
  return values;
}

class RenderCliTest : public ScratchDirTest {
 protected:
  // Runs in the scratch directory, so the default "out" lands there too.
  Result Run(const std::vector<std::string>& args) {
    std::string command = "cd '" + dir_.string() + "' && '" QUILLMERE_RENDER_BINARY "'";
    for (const auto& arg : args) command += " '" + arg + "'";
    command += " >stdout.txt 2>stderr.txt";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(Path("stdout.txt")),
            Slurp(Path("stderr.txt"))};
  }
};

TEST_F(RenderCliTest, SameSeedGivesTheSameFramesAndTrace) {
  const auto run = [&](const std::string& seed, const std::string& out) {
    const Result result = Run({"--size", "256x192", "--seed", seed, "--ticks", "130", "--frame", "1",
                               "--frame", "60", "--frame", "130", "--out", out, "--trace",
                               out + ".jsonl"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, out + "/frame-1.png\n" + out + "/frame-60.png\n" + out + "/frame-130.png\n");
  };
  run("7", "a");
  run("7", "b");
  run("8", "c");
  for (const char* frame : {"/frame-1.png", "/frame-60.png", "/frame-130.png"})
    EXPECT_EQ(Slurp(Path(std::string("a") + frame)), Slurp(Path(std::string("b") + frame))) << frame;
  EXPECT_EQ(Slurp(Path("a.jsonl")), Slurp(Path("b.jsonl")));
  EXPECT_NE(Slurp(Path("a.jsonl")), Slurp(Path("c.jsonl"))) << "the seed has no effect";
}

TEST_F(RenderCliTest, TraceHasOneRecordPerTick) {
  const Result result = Run({"--size", "256x192", "--seed", "3", "--ticks", "150", "--trace", "t.jsonl"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "");
  const auto lines = Lines(Slurp(Path("t.jsonl")));
  ASSERT_EQ(lines.size(), 150u);
  for (int tick = 1; tick <= 150; ++tick) {
    const std::string& line = lines[tick - 1];
    SCOPED_TRACE(line);
    ASSERT_EQ(line.find(' '), std::string::npos);
    EXPECT_EQ(Field(line, "tick"), std::vector<long>{tick});
    EXPECT_EQ(Field(line, "intro"), std::vector<long>{std::min(tick, 100)});
    for (const char* pair : {"hole", "mover"}) EXPECT_EQ(Field(line, pair).size(), 2u) << pair;
    for (const char* grid : {"img", "left", "top"}) ASSERT_EQ(Field(line, grid).size(), 64u) << grid;
    auto tiles = Field(line, "img");
    std::sort(tiles.begin(), tiles.end());
    for (long k = 0; k < 64; ++k) ASSERT_EQ(tiles[k], k) << "each tile once";
  }
  // Before any slide, entry (col-1)*8+(row-1) is that cell, at its home.
  const auto img = Field(lines[0], "img"), left = Field(lines[0], "left"), top = Field(lines[0], "top");
  for (int k = 0; k < 64; ++k) {
    EXPECT_EQ(img[k], k);
    EXPECT_EQ(left[k], k / 8 * 32) << k;
    EXPECT_EQ(top[k], k % 8 * 24) << k;
  }
}

// On the first intro tick every tile gains only its top-left lavender pixel and
// the hole's tile is still drawn whole; strips that belong to no tile are black.
// Tiles must be over 50 pixels on each side for that pixel to show.
TEST_F(RenderCliTest, FirstFrameShowsTheDesktopWithTileCornersMarked) {
  for (const auto& [width, height] : {std::pair(512, 416), std::pair(517, 423)}) {
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    Raster desktop(width, height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) desktop.SetPixel(x, y, Rgb(x * 7 + 1, y * 5 + 1, (x ^ y) | 1));
    WritePng(Path("desktop.png"), desktop);

    const Result result = Run({"--desktop", "desktop.png", "--seed", "1", "--frame", "1"});
    ASSERT_EQ(result.status, 0) << result.err;
    const Raster frame = ReadPng(Path("out/frame-1.png"));
    ASSERT_EQ(frame.Width(), width);
    ASSERT_EQ(frame.Height(), height);
    const int tileWidth = width / 8, tileHeight = height / 8;
    int marked = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const bool inTile = x < 8 * tileWidth && y < 8 * tileHeight;
        const bool corner = inTile && x % tileWidth == 0 && y % tileHeight == 0;
        const Color want = corner ? Rgb(180, 180, 250) : inTile ? desktop.Pixel(x, y) : Rgb(0, 0, 0);
        ASSERT_EQ(frame.Pixel(x, y), want) << "at " << x << "," << y;
        marked += corner;
      }
    EXPECT_EQ(marked, 64);
  }
}

TEST_F(RenderCliTest, KeyPressChoosesAnotherMoveJustBeforeItsTick) {
  const std::vector<std::string> common = {"--size", "256x192", "--seed", "11", "--ticks", "60"};
  auto withKey = common, without = common;
  withKey.insert(withKey.end(), {"--key", "40", "--trace", "key.jsonl"});
  without.insert(without.end(), {"--trace", "plain.jsonl"});
  ASSERT_EQ(Run(withKey).status, 0);
  ASSERT_EQ(Run(without).status, 0);
  const auto keyed = Lines(Slurp(Path("key.jsonl"))), plain = Lines(Slurp(Path("plain.jsonl")));
  ASSERT_EQ(keyed.size(), 60u);
  ASSERT_EQ(plain.size(), 60u);

  for (int tick = 1; tick < 40; ++tick) EXPECT_EQ(keyed[tick - 1], plain[tick - 1]) << tick;
  const std::string& before = keyed[38];
  const std::string& at = keyed[39];
  EXPECT_EQ(Field(at, "prev"), Field(before, "dir"));
  const auto move = [](const std::string& line) {
    return std::pair(Field(line, "dir"), Field(line, "prev"));
  };
  EXPECT_NE(move(at), move(plain[39]));
}

TEST_F(RenderCliTest, RefusesBadInputBeforeAnyTick) {
  std::ofstream(Path("notes.png")) << "not a picture\n";
  Raster small(64, 64);
  WritePng(Path("small.png"), small);
  const std::vector<std::vector<std::string>> cases = {
      {"--ticks", "12x"},
      {"--size", "0x768"},
      {"--size", "16385x1"},
      {"--size", "1x16385"},
      {"--frame", "2", "--ticks", "1"},
      {"--desktop", "small.png", "--size", "64x64"},
      {"--desktop", "missing.png"},
      {"--desktop", "notes.png"},
      {"--bogus"},
  };
  for (auto args : cases) {
    SCOPED_TRACE(testing::PrintToString(args));
    args.insert(args.end(), {"--frame", "1"});
    const Result result = Run(args);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    ASSERT_EQ(Lines(result.err).size(), 1u) << result.err;
    EXPECT_EQ(result.err.rfind("quillmere-render: ", 0), 0u) << result.err;
    EXPECT_FALSE(std::filesystem::exists(Path("out/frame-1.png")));
  }
}

// The screen sizes of the core's own test; the big ones run two ticks, and the
// largest writes no frame file.
TEST_F(RenderCliTest, RendersEveryScreenSize) {
  std::vector<std::pair<int, int>> sizes = {{1, 1},     {7, 5},      {8, 8},      {9, 9},
                                            {100, 75}, {799, 601}, {1366, 768}, {2560, 1440},
                                            {7680, 4320}};
  for (const auto& [width, height] : sizes) {
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    SCOPED_TRACE(size);
    const bool huge = width * height > 10'000'000;
    const std::string ticks = width * height > 1'000'000 ? "2" : "101";
    std::vector<std::string> args = {"--size", size, "--seed", "5", "--ticks", ticks, "--trace",
                                     "t.jsonl"};
    if (!huge) args.insert(args.end(), {"--frame", ticks});
    const Result result = Run(args);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(Lines(Slurp(Path("t.jsonl"))).size(), std::size_t(std::stoi(ticks)));
    if (huge) continue;
    const Raster frame = ReadPng(Path("out/frame-" + ticks + ".png"));
    EXPECT_EQ(frame.Width(), width);
    EXPECT_EQ(frame.Height(), height);
  }
}

TEST_F(RenderCliTest, HelpPrintsUsage) {
  const Result result = Run({"--help"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out.rfind("usage: quillmere-render", 0), 0u) << result.out;
  EXPECT_EQ(result.err, "");
}

}  // namespace
