#include "win32/win32_services.h"

#include <shellapi.h>

#include <utility>

namespace win32 {

namespace {
std::string applicationTitle = "Quillmere Screensaver";
}

NamedSemaphore CreateNamedSemaphore(const char* name) {
  NamedSemaphore semaphore;
  semaphore.handle = CreateSemaphoreA(nullptr, 0, 1, name);
  semaphore.alreadyExisted = GetLastError() == ERROR_ALREADY_EXISTS;
  return semaphore;
}

void CloseNamedSemaphore(NamedSemaphore& semaphore) {
  if (semaphore.handle != nullptr) CloseHandle(semaphore.handle);
  semaphore.handle = nullptr;
}

void SetApplicationTitle(std::string title) { applicationTitle = std::move(title); }

const std::string& ApplicationTitle() { return applicationTitle; }

void ShowErrorMessage(const std::string& text) {
  MessageBoxA(nullptr, text.c_str(), applicationTitle.c_str(), MB_OK | MB_ICONERROR);
}

std::string ThreadDesktopName() {
  char name[256] = "";
  DWORD needed = 0;
  if (!GetUserObjectInformationA(GetThreadDesktop(GetCurrentThreadId()), UOI_NAME, name,
                                 sizeof name - 1, &needed))
    return "";
  return name;
}

int RunMessageLoop() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return int(message.wParam);
}

void ProcessPendingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Leave it for whoever runs the loop that should end.
      PostQuitMessage(int(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void WaitForMessageOrTimeout(DWORD milliseconds) {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds, QS_ALLINPUT);
}

HBITMAP LoadResourceBitmap(const char* name) {
  return static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

HICON LoadResourceIcon(int id) {
  return LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
}

void OpenWithShell(HWND owner, const std::string& target) {
  ShellExecuteA(owner, "open", target.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
}

DpiContext WindowDpiContext(HWND window) {
  using Get = DpiContext(WINAPI*)(HWND);
  static const Get get = User32Function<Get>("GetWindowDpiAwarenessContext");
  return get == nullptr ? nullptr : get(window);
}

DpiContext SetThreadDpiContext(DpiContext context) {
  using Set = DpiContext(WINAPI*)(DpiContext);
  static const Set set = User32Function<Set>("SetThreadDpiAwarenessContext");
  return set == nullptr || context == nullptr ? nullptr : set(context);
}

}  // namespace win32
