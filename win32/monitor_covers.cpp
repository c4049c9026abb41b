#include "win32/monitor_covers.h"

#include <windowsx.h>

#include <vector>

namespace {

constexpr char kClassName[] = "TMFormCover";

// The pointer over a cover is the pointer over the saver window, its owner,
// at the same place in the saver's client coordinates: one stream for its
// rules.
void ForwardPointer(HWND cover, UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND saver = GetWindow(cover, GW_OWNER);
  POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  MapWindowPoints(cover, saver, &at, 1);
  SendMessageA(saver, message, wParam, MAKELPARAM(at.x, at.y));
}

LRESULT CALLBACK CoverProc(HWND cover, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;  // the saver keeps the foreground
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
      ForwardPointer(cover, message, wParam, lParam);
      return message == WM_XBUTTONDOWN || message == WM_XBUTTONUP;
  }
  // The class's black brush paints it when shown or exposed, and only then.
  return DefWindowProcA(cover, message, wParam, lParam);
}

void RegisterCoverClass(HINSTANCE instance) {
  WNDCLASSA windowClass{};
  if (GetClassInfoA(instance, kClassName, &windowClass)) return;
  windowClass.lpfnWndProc = CoverProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_CROSS);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kClassName;
  RegisterClassA(&windowClass);
}

}  // namespace

namespace win32 {

void MonitorCovers::Follow(HWND saver, const std::vector<MonitorPlace>& all) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterCoverClass(instance);
  std::vector<Rect> monitors;
  for (const MonitorPlace& monitor : all)
    if (!monitor.primary) monitors.push_back(monitor.area);
  while (covers_.size() > monitors.size()) {
    DestroyWindow(covers_.back());
    covers_.pop_back();
  }
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    const Rect& r = monitors[i];
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (i < covers_.size()) {
      SetWindowPos(covers_[i], HWND_TOPMOST, r.left, r.top, width, height, SWP_NOACTIVATE);
      continue;
    }
    // Owned by the saver window: above it, and destroyed with it. A tool
    // window stays out of the taskbar and Alt+Tab.
    const HWND cover = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                                       kClassName, "", WS_POPUP, r.left, r.top, width, height,
                                       saver, nullptr, instance, nullptr);
    if (cover == nullptr) break;
    ShowWindow(cover, SW_SHOWNOACTIVATE);
    covers_.push_back(cover);
  }
}

void MonitorCovers::Remove() {
  // The saver's own destruction has usually taken them with it already.
  for (HWND cover : covers_)
    if (IsWindow(cover)) DestroyWindow(cover);
  covers_.clear();
}

}  // namespace win32
