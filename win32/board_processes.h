#pragma once
// The saver's side of the boards of its other monitors: one process each,
// started from this very program with the board's switch, handed its
// picture, and tied to the saver so that none outlives it, even a saver
// killed outright (a job that ends its processes when its last handle
// closes; and each board watches the saver's process itself, for a system
// where the job cannot be had).
#include <windows.h>

#include <optional>
#include <vector>

#include "core/raster.h"
#include "win32/board_handover.h"
#include "win32/board_layout.h"

namespace win32 {

class BoardProcesses {
 public:
  BoardProcesses() = default;
  ~BoardProcesses();  // a board still running ends with the job
  BoardProcesses(const BoardProcesses&) = delete;
  BoardProcesses& operator=(const BoardProcesses&) = delete;

  // A board over `monitor`. One that cannot be started leaves its monitor
  // to its black cover.
  void Start(const MonitorPlace& monitor, const BoardOrders& orders,
             const std::optional<Raster>& picture);
  // The monitors the boards were last given, in the order PlanBoards takes.
  std::vector<MonitorPlace> Places() const;
  // A new layout's plan: each board that stays is told its monitor's place
  // (and shows over its cover again), each that goes is ended.
  void Follow(const BoardPlan& plan, const std::vector<MonitorPlace>& layout);
  // A board's news that its window shows; a window of no board of ours is
  // not taken.
  void Shown(HWND window);
  void PressKey();
  void EndAll();

 private:
  struct Board {
    MonitorPlace monitor;
    Rect startedAt;  // the place in its orders
    HANDLE process;
    DWORD id;
    HWND window = nullptr;  // once it shows
  };
  void End(Board& board);

  HANDLE job_ = nullptr;
  std::vector<Board> boards_;
};

}  // namespace win32
