// Test-only stand-in for the host's display settings: owns a borderless
// window that a preview can paint into, and shows, hides or destroys it when
// told on standard input.
//
//   preview_host.exe LEFT TOP WIDTH HEIGHT
//   stdin:  show | hide | destroy | quit      (one per line)
//   stdout: "handle N" at start, then "shown" / "hidden" / "destroyed" after
//           each change has been made.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr UINT kCommand = WM_APP + 1;
enum Command : WPARAM { kShow, kHide, kDestroy, kQuit };

// The host's own background, so that a screenshot tells it from the picture.
constexpr COLORREF kBackground = RGB(255, 0, 255);

DWORD WINAPI ReadCommands(void* mainThread) {
  const DWORD thread = DWORD(reinterpret_cast<UINT_PTR>(mainThread));
  char line[64];
  while (std::fgets(line, sizeof line, stdin) != nullptr) {
    Command command = kQuit;
    if (std::strncmp(line, "show", 4) == 0) command = kShow;
    else if (std::strncmp(line, "hide", 4) == 0) command = kHide;
    else if (std::strncmp(line, "destroy", 7) == 0) command = kDestroy;
    PostThreadMessageA(thread, kCommand, command, 0);
    if (command == kQuit) return 0;
  }
  PostThreadMessageA(thread, kCommand, kQuit, 0);
  return 0;
}

void Say(const char* text) {
  std::printf("%s\n", text);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: preview_host LEFT TOP WIDTH HEIGHT\n");
    return 2;
  }
  const int left = std::atoi(argv[1]), top = std::atoi(argv[2]);
  const int width = std::atoi(argv[3]), height = std::atoi(argv[4]);

  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = CreateSolidBrush(kBackground);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = "QuillmerePreviewHost";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, windowClass.lpszClassName, "Preview host",
                                WS_POPUP, left, top, width, height, nullptr, nullptr,
                                windowClass.hInstance, nullptr);

  // Make sure the thread has a queue before the reader posts to it.
  MSG message;
  PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  std::printf("handle %lu\n", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)));
  std::fflush(stdout);
  CreateThread(nullptr, 0, ReadCommands,
               reinterpret_cast<void*>(static_cast<UINT_PTR>(GetCurrentThreadId())), 0, nullptr);

  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (message.hwnd == nullptr && message.message == kCommand) {
      switch (message.wParam) {
        case kShow:
          ShowWindow(window, SW_SHOWNOACTIVATE);
          UpdateWindow(window);
          Say("shown");
          break;
        case kHide:
          ShowWindow(window, SW_HIDE);
          Say("hidden");
          break;
        case kDestroy:
          DestroyWindow(window);
          window = nullptr;
          Say("destroyed");
          break;
        default:
          if (window != nullptr) DestroyWindow(window);
          return 0;
      }
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
