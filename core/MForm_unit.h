#pragma once
// The shuffle animation: the tile board cut from the screen, the move engine
// and the per-tick frame composition. Plain procedures over module-level state,
// driven one tick at a time by whoever owns the clock; no OS header.
#include <array>
#include <cstdint>
#include <memory>

#include "core/damage.h"
#include "core/raster.h"

namespace MForm_unit {

inline constexpr int kCols = 8;
inline constexpr int kRows = 8;
inline constexpr int kStep = 8;  // pixels a sliding tile travels per tick
inline constexpr int kIntroLength = 100;
// The intro's frame lines grow by 1/100 of the tile's side a tick; the hole's
// tile shrinks by 1/200 of its smaller side on each side.
inline constexpr int kLineGrowthDivisor = 100;
inline constexpr int kHoleShrinkDivisor = 200;
inline constexpr Color kFrameLine = Rgb(180, 180, 250);

// Indexed [column][row]; cells are numbered from 1, index 0 is not a cell.
template <typename T>
using Grid = std::array<std::array<T, kRows + 1>, kCols + 1>;

// --- Screen (taken by the saver window's creation) ---
inline std::int32_t ScreenWidth = 0;
inline std::int32_t ScreenHeight = 0;

// --- Tile board ---
inline std::int32_t Cols = 0;
inline std::int32_t Rows = 0;
inline std::int32_t TileWidth = 0;
inline std::int32_t TileHeight = 0;
inline std::array<Raster, kCols * kRows> TileRasters;  // owns the tile pictures
inline Grid<Raster*> TileImages{};  // [0][0] is the move engine's scratch entry
inline Grid<std::int32_t> TileLeft{};
inline Grid<std::int32_t> TileTop{};
inline std::int32_t HoleCol = 0;
inline std::int32_t HoleRow = 0;

// --- Move engine ---
// Direction names the side of the hole the mover stands on:
// 0 left, 1 above, 2 right, 3 below; the reverse of d is (d + 2) % 4.
inline std::int32_t MoverCol = 0;
inline std::int32_t MoverRow = 0;
inline std::int32_t Direction = 0;
inline std::int32_t PrevDirection = 0;
inline std::int32_t MoverHomeLeft = 0;
inline std::int32_t MoverHomeTop = 0;

// --- Frame composition ---
inline std::unique_ptr<Raster> BackBuffer;
inline std::unique_ptr<Raster> BlankFrame;
inline std::int32_t IntroTicks = 0;
// What each cell put on the frame last shown, and what of it changed.
struct DrawnTile {
  Rect area;  // empty for a cell that was not drawn
  const Raster* picture = nullptr;
  bool onTop = false;  // drawn last, over its neighbours, which cells off home can overlap
  bool operator==(const DrawnTile&) const = default;
};
inline Grid<DrawnTile> ShownTiles{};
inline Damage FrameDamage;

void BuildBoard();

std::int32_t PickDirection(std::int32_t prev);
void ChooseMove();
void StepMover();
bool MoverArrived();
void CompleteMove();
void AdvanceMove();

void CreateFrameBuffers();
void ReleaseFrameBuffers();
void ComposeFrame();
void DrawIntro();
void RenderFrame(bool lifted);
// Where RenderFrame puts the cell's tile, and at what size: an empty area for
// a cell it skips.
Rect TileArea(int col, int row, bool lifted);

// The intro's rounding: x / q * IntroTicks in 64-bit-significand arithmetic,
// rounded to nearest even at each step and then to an integer.
std::int32_t RoundIntro(std::int32_t x, std::int32_t q, std::int32_t ticks);

// Puts every piece of module state back to its program-start value.
void ResetState();

}  // namespace MForm_unit
