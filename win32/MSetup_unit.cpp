#include "win32/MSetup_unit.h"

#include <vector>

#include "win32/win32_services.h"
#include "win32/resources/resource.h"

namespace MSetup_unit {

namespace {

constexpr char kClassName[] = "TMSetup";
constexpr int kClientWidth = 292;
constexpr int kClientHeight = 186;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr COLORREF kLinkBlue = RGB(0, 0, 255);

HFONT MakeFont(const char* face, int pixels, int weight, BYTE pitch) {
  // A negative height asks for the character height, not the cell height.
  return CreateFontA(-pixels, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     BYTE(pitch | FF_DONTCARE), face);
}

HWND MakeLabel(HWND parent, const char* caption, int left, int top, int width, int height,
               HFONT font) {
  const HWND label = CreateWindowExA(
      0, "STATIC", caption, WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_NOTIFY,
      left, top, width, height, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  SendMessageA(label, WM_SETFONT, WPARAM(font), FALSE);
  return label;
}

int WidthOf(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return r.right - r.left;
}

// Moves a child horizontally, in its parent's client coordinates.
void SetLeft(HWND child, int left) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  SetWindowPos(child, nullptr, left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TMSetup& form = MSetup;
  switch (message) {
    case WM_COMMAND: {
      const auto control = reinterpret_cast<HWND>(lParam);
      const WORD code = HIWORD(wParam);
      // A double click also sends STN_CLICKED for its first click; its own
      // STN_DBLCLK is not a second click.
      if (code != STN_CLICKED) break;
      if (control == form.LogoImage) form.LogoImageClick();
      if (control == form.Label1) form.Label1Click();
      if (control == form.Label2) form.Label2Click();
      return 0;
    }
    case WM_SETCURSOR: {
      const auto over = reinterpret_cast<HWND>(wParam);
      if (over == form.LogoImage || over == form.Label1 || over == form.Label2) {
        SetCursor(LoadCursorA(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    }
    case WM_CTLCOLORSTATIC: {
      const auto dc = reinterpret_cast<HDC>(wParam);
      const auto control = reinterpret_cast<HWND>(lParam);
      SetTextColor(dc, control == form.Label2 ? kLinkBlue : GetSysColor(COLOR_WINDOWTEXT));
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(form.Font);
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

std::string Caption(HWND label) {
  std::vector<char> text(std::size_t(GetWindowTextLengthA(label)) + 1);
  GetWindowTextA(label, text.data(), int(text.size()));
  return text.data();
}

void SetCaption(HWND label, const std::string& caption) {
  SetWindowTextA(label, caption.c_str());
  const HDC dc = GetDC(label);
  const HGDIOBJ previous =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
  SIZE extent{};
  GetTextExtentPoint32A(dc, caption.c_str(), int(caption.size()), &extent);
  SelectObject(dc, previous);
  ReleaseDC(label, dc);
  SetWindowPos(label, nullptr, 0, 0, extent.cx, extent.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TMSetup::CreateControls() {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  Font = MakeFont("MS Sans Serif", 11, FW_NORMAL, DEFAULT_PITCH);
  Label1Font = MakeFont("Arial", 16, FW_BOLD, FIXED_PITCH);
  Label2Font = MakeFont("Arial", 16, FW_BOLD, FIXED_PITCH);
  Logo = win32::LoadResourceBitmap("LOGO");

  // SS_BITMAP sizes the control to its picture, 152 x 112.
  LogoImage = CreateWindowExA(0, "STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_NOTIFY,
                              76, 10, 152, 112, Handle, nullptr, instance, nullptr);
  SendMessageA(LogoImage, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(Logo));

  Label1 = MakeLabel(Handle, "", 8, 136, 147, 19, Label1Font);
  SetCaption(Label1, "Please visit our site");
  Label2 = MakeLabel(Handle, "", 8, 160, 33, 19, Label2Font);
  SetCaption(Label2, "Link");
}

void TMSetup::FormCreate() {
  // The address is kept in pieces, not as one string.
  SetCaption(Label2, "http://");
  SetCaption(Label2, Caption(Label2) + "www.");
  SetCaption(Label2, Caption(Label2) + "quillmere");
  SetCaption(Label2, Caption(Label2) + ".example");
  SetCaption(Label2, Caption(Label2) + "/");

  const int outerWidth = WidthOf(Handle);
  SetLeft(Label2, (outerWidth - WidthOf(Label2)) / 2);
  SetLeft(Label1, (outerWidth - WidthOf(Label1)) / 2);
}

void TMSetup::OpenSite() { win32::OpenWithShell(Handle, Caption(Label2)); }

void TMSetup::LogoImageClick() { OpenSite(); }
void TMSetup::Label1Click() { OpenSite(); }
void TMSetup::Label2Click() { OpenSite(); }

HWND CreateMSetup() {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = win32::LoadResourceIcon(IDI_QUILLMERE);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  RegisterClassExA(&windowClass);

  // The dialog's geometry is in fixed pixels: created outside the saver's
  // per-monitor awareness, Windows scales it to the screen's DPI.
  if (win32::SetThreadDpiContext(win32::kDpiUnawareGdiScaled) == nullptr)
    win32::SetThreadDpiContext(win32::kDpiUnaware);

  RECT outer{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&outer, kStyle, FALSE, 0);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;

  MSetup.Handle = CreateWindowExA(0, kClassName, "Quillmere Screensaver 1.0", kStyle, left, top,
                                  width, height, nullptr, nullptr, instance, nullptr);
  if (MSetup.Handle == nullptr) return nullptr;
  MSetup.CreateControls();
  MSetup.FormCreate();
  return MSetup.Handle;
}

}  // namespace MSetup_unit
