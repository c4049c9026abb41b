// Test-only floor for the saver's CPU under Wine: what any program pays for
// a full-screen window with the saver's 20 ms timer, restarted every tick,
// and one 360 x 260 picture put on it a tick (a lifted tile's size at
// 1920 x 1080), in the 32-bit layout the saver presents.
//
//   floor_window.exe        (runs until closed)
#include <windows.h>

#include <cstdint>
#include <vector>

namespace {

constexpr int kWidth = 360, kHeight = 260;
constexpr UINT_PTR kTimer = 1;

std::vector<std::uint32_t> picture(kWidth * kHeight);
int ticks = 0;

void PutPicture(HWND window) {
  // The picture changes and wanders a little, as a sliding tile does.
  for (std::uint32_t& pixel : picture) pixel = std::uint32_t(ticks) * 0x010203;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  const HDC dc = GetDC(window);
  SetDIBitsToDevice(dc, (ticks % 100) * 8, 100, kWidth, kHeight, 0, 0, 0, kHeight, picture.data(),
                    &info, DIB_RGB_COLORS);
  ReleaseDC(window, dc);
}

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      ++ticks;
      PutPicture(window);
      SetTimer(window, kTimer, 20, nullptr);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = Proc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = "QuillmereFloor";
  RegisterClassA(&windowClass);
  const HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "QuillmereFloor", "Floor",
                                      WS_POPUP | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                      GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                      windowClass.hInstance, nullptr);
  SetTimer(window, kTimer, 20, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}
