#include "win32/board_processes.h"

#include <string>

#include "win32/board_messages.h"

namespace win32 {

namespace {

// Whoever holds the last handle of it (the saver) takes its processes with it.
HANDLE KillingJob() {
  const HANDLE job = CreateJobObjectA(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (job != nullptr &&
      !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
    CloseHandle(job);
    return nullptr;
  }
  return job;
}

HANDLE Inheritable(HANDLE source, DWORD access, DWORD options) {
  HANDLE copy = nullptr;
  const HANDLE self = GetCurrentProcess();
  return DuplicateHandle(self, source, self, &copy, access, TRUE, options) ? copy : nullptr;
}

std::wstring ThisProgram() {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), DWORD(path.size())));
  return path;
}

}  // namespace

BoardProcesses::~BoardProcesses() {
  for (const Board& board : boards_) CloseHandle(board.process);
  if (job_ != nullptr) CloseHandle(job_);
}

void BoardProcesses::Start(const MonitorPlace& monitor, const BoardOrders& orders,
                           const std::optional<Raster>& picture) {
  if (job_ == nullptr) job_ = KillingJob();
  const HANDLE section = HandOver(orders, picture);
  if (section == nullptr) return;
  // Inherited by this one child alone: made inheritable just for it, on the
  // one thread that starts processes.
  const HANDLE pictureHandle = Inheritable(section, 0, DUPLICATE_SAME_ACCESS);
  const HANDLE saverHandle =
      Inheritable(GetCurrentProcess(), SYNCHRONIZE | PROCESS_QUERY_INFORMATION, 0);
  CloseHandle(section);
  const std::wstring program = ThisProgram();
  std::wstring line = L"\"" + program + L"\" /board:" +
                      std::to_wstring(reinterpret_cast<UINT_PTR>(pictureHandle)) + L"," +
                      std::to_wstring(reinterpret_cast<UINT_PTR>(saverHandle));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNOACTIVATE;
  PROCESS_INFORMATION started{};
  const bool made = pictureHandle != nullptr && saverHandle != nullptr && !program.empty() &&
                    CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE,
                                   CREATE_SUSPENDED, nullptr, nullptr, &startup, &started);
  for (HANDLE handle : {pictureHandle, saverHandle})
    if (handle != nullptr) CloseHandle(handle);
  if (!made) return;
  // Where the saver itself runs in a job that takes no other (Windows 7),
  // the board still ends with the saver by watching it.
  if (job_ != nullptr) AssignProcessToJobObject(job_, started.hProcess);
  ResumeThread(started.hThread);
  CloseHandle(started.hThread);
  boards_.push_back({monitor, orders.monitor, started.hProcess, started.dwProcessId});
}

std::vector<MonitorPlace> BoardProcesses::Places() const {
  std::vector<MonitorPlace> places;
  for (const Board& board : boards_) places.push_back(board.monitor);
  return places;
}

void BoardProcesses::Follow(const BoardPlan& plan, const std::vector<MonitorPlace>& layout) {
  std::vector<Board> staying;
  for (std::size_t i = 0; i < boards_.size(); ++i) {
    Board& board = boards_[i];
    if (!plan.boards[i]) {
      End(board);
      continue;
    }
    board.monitor = layout[*plan.boards[i]];
    if (board.window != nullptr) PostMove(board.window, board.monitor.area);
    staying.push_back(board);
  }
  boards_ = std::move(staying);
}

void BoardProcesses::Shown(HWND window) {
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  for (Board& board : boards_) {
    if (board.id != id || board.window != nullptr) continue;
    board.window = window;
    // Over its cover, which the saver's showing (after the board's, for a
    // board quicker than the saver) may have raised above it.
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // Moved since it was started.
    if (board.monitor.area != board.startedAt) PostMove(window, board.monitor.area);
  }
}

void BoardProcesses::PressKey() {
  for (const Board& board : boards_)
    if (board.window != nullptr) PostMessageA(board.window, kCharacterKey, 0, 0);
}

void BoardProcesses::End(Board& board) {
  // One that has no window yet has nothing to tidy.
  if (board.window == nullptr || !PostMessageA(board.window, kEndBoard, 0, 0))
    TerminateProcess(board.process, 0);
  CloseHandle(board.process);
}

void BoardProcesses::EndAll() {
  for (Board& board : boards_) End(board);
  boards_.clear();
}

}  // namespace win32
