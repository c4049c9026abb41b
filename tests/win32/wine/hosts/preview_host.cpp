// Test-only stand-in for the host's display settings: owns a borderless
// window that a preview can paint into, and shows, hides or destroys it when
// told on standard input. It also serves as a passer-by over the saver:
// "over" shows it topmost without taking the foreground (as a notification
// does), "activate" shows it and takes the foreground (as Alt+Tab does).
// Wine keeps a copy of every window's pixels, so a window that goes away
// never leaves lost pixels behind it as Windows without composition does;
// "stain N" stands in for that: it paints the host's rectangle of window N
// in the host's colour, and "invalidate N" marks it invalid, as the system
// does (apart, so that a test can see the stain on the screen before the
// window is asked to repaint: the two reach the X server by two connections,
// in no certain order). "capture N"
// takes the mouse capture from window N, as a window of its thread would.
//
//   preview_host.exe LEFT TOP WIDTH HEIGHT
//   stdin:  show | over | activate | stain N | invalidate N | capture N | hide | destroy | quit
//   stdout: "handle N" at start, then "shown" / "stained" / "invalidated" / "captured" /
//           "hidden" / "destroyed" after each change has been made, and "got MESSAGE"
//           for every button press or release and context menu that
//           reaches its window (e.g. "got WM_RBUTTONUP").
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr UINT kCommand = WM_APP + 1;
enum Command : WPARAM { kShow, kOver, kActivate, kStain, kInvalidate, kCapture, kHide, kDestroy, kQuit };

// The host's own background, so that a screenshot tells it from the picture.
constexpr COLORREF kBackground = RGB(255, 0, 255);

DWORD WINAPI ReadCommands(void* mainThread) {
  const DWORD thread = DWORD(reinterpret_cast<UINT_PTR>(mainThread));
  char line[64];
  while (std::fgets(line, sizeof line, stdin) != nullptr) {
    Command command = kQuit;
    LPARAM argument = 0;
    if (std::strncmp(line, "show", 4) == 0) command = kShow;
    else if (std::strncmp(line, "over", 4) == 0) command = kOver;
    else if (std::strncmp(line, "activate", 8) == 0) command = kActivate;
    else if (std::strncmp(line, "stain ", 6) == 0) {
      command = kStain;
      argument = LPARAM(std::strtoull(line + 6, nullptr, 10));
    }
    else if (std::strncmp(line, "invalidate ", 11) == 0) {
      command = kInvalidate;
      argument = LPARAM(std::strtoull(line + 11, nullptr, 10));
    }
    else if (std::strncmp(line, "capture ", 8) == 0) {
      command = kCapture;
      argument = LPARAM(std::strtoull(line + 8, nullptr, 10));
    }
    else if (std::strncmp(line, "hide", 4) == 0) command = kHide;
    else if (std::strncmp(line, "destroy", 7) == 0) command = kDestroy;
    PostThreadMessageA(thread, kCommand, command, argument);
    if (command == kQuit) return 0;
  }
  PostThreadMessageA(thread, kCommand, kQuit, 0);
  return 0;
}

void Say(const char* text) {
  std::printf("%s\n", text);
  std::fflush(stdout);
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  static const struct {
    UINT message;
    const char* name;
  } kReported[] = {{WM_LBUTTONDOWN, "got WM_LBUTTONDOWN"}, {WM_LBUTTONUP, "got WM_LBUTTONUP"},
                   {WM_RBUTTONDOWN, "got WM_RBUTTONDOWN"}, {WM_RBUTTONUP, "got WM_RBUTTONUP"},
                   {WM_MBUTTONDOWN, "got WM_MBUTTONDOWN"}, {WM_MBUTTONUP, "got WM_MBUTTONUP"},
                   {WM_XBUTTONDOWN, "got WM_XBUTTONDOWN"}, {WM_XBUTTONUP, "got WM_XBUTTONUP"},
                   {WM_CONTEXTMENU, "got WM_CONTEXTMENU"}};
  for (const auto& reported : kReported)
    if (message == reported.message) Say(reported.name);
  return DefWindowProcA(window, message, wParam, lParam);
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
  windowClass.lpfnWndProc = HostProc;
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
        case kOver:
          SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
          UpdateWindow(window);
          Say("shown");
          break;
        case kActivate:
          SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
          SetForegroundWindow(window);
          UpdateWindow(window);
          Say("shown");
          break;
        case kStain: {
          const auto target = reinterpret_cast<HWND>(message.lParam);
          const RECT area{left, top, left + width, top + height};
          const HDC dc = GetDC(target);
          const HBRUSH brush = CreateSolidBrush(kBackground);
          FillRect(dc, &area, brush);
          DeleteObject(brush);
          ReleaseDC(target, dc);
          GdiFlush();
          Say("stained");
          break;
        }
        case kInvalidate: {
          const RECT area{left, top, left + width, top + height};
          InvalidateRect(reinterpret_cast<HWND>(message.lParam), &area, FALSE);
          Say("invalidated");
          break;
        }
        case kCapture: {
          // Sharing the window's input state, the capture taken here is
          // taken from it.
          const DWORD thread = GetWindowThreadProcessId(reinterpret_cast<HWND>(message.lParam), nullptr);
          AttachThreadInput(GetCurrentThreadId(), thread, TRUE);
          SetCapture(window);
          Say("captured");
          break;
        }
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
