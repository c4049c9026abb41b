// quillmere.scr: reads the screensaver switch and takes one of three roads:
// the preview painter, the settings dialog, or the full-screen saver; or,
// started by the saver with the board's switch, another monitor's board.
#include <objbase.h>

#include <cstdint>
#include <optional>
#include <string>

#include "win32/win32_services.h"
#include "win32/board_window.h"
#include "win32/saver_window.h"
#include "win32/MSetup_unit.h"
#include "win32/command_line.h"
#include "win32/preview.h"

namespace {

SaverMode Mode = smRun;
constexpr int kNoDialogExitCode = 1;
constexpr int kBadBoardExitCode = 2;

// QUILLMERE_SEED, for the tests, as the other bindings read it.
std::optional<std::uint64_t> SeedFromEnvironment() {
  char text[32] = "";
  const DWORD length = GetEnvironmentVariableA("QUILLMERE_SEED", text, sizeof text);
  return length > 0 && length < sizeof text ? SeedOfText(text) : std::nullopt;
}

int RunConfigure() {
  win32::SetApplicationTitle("Quillmere Screensaver");
  // The shell may use COM to open the site.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  const HWND dialog = MSetup_unit::CreateMSetup();
  // No dialog, nothing would ever end the message loop.
  if (dialog == nullptr) return kNoDialogExitCode;
  // SW_SHOWDEFAULT applies the show state the process was started with.
  ShowWindow(dialog, SW_SHOWDEFAULT);
  const int code = win32::RunMessageLoop();
  if (SUCCEEDED(com)) CoUninitialize();
  return code;
}

int RunSaver() {
  win32::NamedSemaphore guard = win32::CreateNamedSemaphore("ScreensaverSemaphore");
  if (guard.handle != nullptr && guard.alreadyExisted) {
    win32::CloseNamedSemaphore(guard);
    return 0;
  }
  // The guard stays open for the life of the process.
  RunSaverWindow(SeedFromEnvironment());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string first = UpperAscii(argc > 1 ? argv[1] : "");
  const std::string second = UpperAscii(argc > 2 ? argv[2] : "");
  // The board's switch obeys the saver, not the single-instance guard; one
  // given by hand ends at once.
  if (AsksForBoard(first)) {
    const std::optional<BoardArgument> board = ParseBoardArgument(first);
    return board ? RunBoard(*board) : kBadBoardExitCode;
  }
  Mode = DecideSaverMode(first);

  switch (Mode) {
    case smPreview:
      return RunPreview(second);
    case smConfigure:
      return RunConfigure();
    case smPassword:  // no handling of its own: it runs the saver
    case smRun:
      return RunSaver();
  }
  return 0;
}
