#include "headless/trace.h"

#include "core/MForm_unit.h"

namespace {

using namespace MForm_unit;

void AppendName(std::string& out, const char* name) {
  out += ",\"";
  out += name;
  out += "\":";
}

void Append(std::string& out, const char* name, long value) {
  AppendName(out, name);
  out += std::to_string(value);
}

void AppendPair(std::string& out, const char* name, long a, long b) {
  AppendName(out, name);
  out += '[';
  out += std::to_string(a);
  out += ',';
  out += std::to_string(b);
  out += ']';
}

// Cells in the order column 1..8, within it row 1..8.
template <typename Value>
void AppendGrid(std::string& out, const char* name, Value value) {
  AppendName(out, name);
  out += '[';
  for (int col = 1; col <= kCols; ++col)
    for (int row = 1; row <= kRows; ++row) {
      if (col > 1 || row > 1) out += ',';
      out += std::to_string(value(col, row));
    }
  out += ']';
}

// A tile is numbered by the cell it was cut from; -1 would mean an empty cell.
long TileNumber(int col, int row) {
  const Raster* tile = TileImages[col][row];
  return tile ? long(tile - TileRasters.data()) : -1;
}

}  // namespace

std::string TraceRecord(int tick) {
  std::string out = "{\"tick\":" + std::to_string(tick);
  Append(out, "intro", IntroTicks);
  AppendPair(out, "hole", HoleCol, HoleRow);
  AppendPair(out, "mover", MoverCol, MoverRow);
  Append(out, "dir", Direction);
  Append(out, "prev", PrevDirection);
  AppendGrid(out, "img", TileNumber);
  AppendGrid(out, "left", [](int col, int row) { return TileLeft[col][row]; });
  AppendGrid(out, "top", [](int col, int row) { return TileTop[col][row]; });
  out += '}';
  return out;
}
