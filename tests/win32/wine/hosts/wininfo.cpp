// Test-only probe: reports what Win32 itself says about windows and named
// objects, which is more exact than anything read from the X side; and sends
// what Windows would send and Wine does not.
//
//   wininfo.exe windows TITLE   one "window ..." line per top-level window with
//                               exactly that title, each followed by a
//                               "child ..." line per child window
//   wininfo.exe close TITLE     asks each such window to close (SC_CLOSE)
//   wininfo.exe power TITLE console|monitor STATE
//                               tells each such window the display's new state
//   wininfo.exe semaphore NAME  "present" or "absent"
//   wininfo.exe screen          "screen WIDTH HEIGHT"
//   wininfo.exe display W H     changes the primary's mode to W x H through
//                               the system: "display RESULT" (0 on success)
//   wininfo.exe extent FACE PIXELS WEIGHT PITCH TEXT
//                               "extent CX CY face=CHOSEN" of TEXT in that font
//   wininfo.exe cursor          "cursor HANDLE shown|hidden": the cursor of the
//                               foreground thread, and whether it shows
//   wininfo.exe resources FILE  "string 1 TEXT", "bitmap NAME WxHxBITS",
//                               "icon ID SIZE...", "manifest ID BYTES",
//                               "version ID" for what FILE carries
//
// Fields are key=value; a text= field, when present, runs to the end of line.
#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string TextOf(HWND window) {
  char text[512] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ClassOf(HWND window) {
  char name[256] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

unsigned long HandleNumber(HWND window) {
  return static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window));
}

// The extent of `text` in a font made from the given request, and the face
// that the font mapper chose for it. (A window's own font handle means nothing
// in another process, so the request is repeated here.)
void ReportExtent(const char* face, int pixels, int weight, int pitch, const std::string& text) {
  const HFONT font = CreateFontA(-pixels, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 BYTE(pitch | FF_DONTCARE), face);
  const HDC dc = GetDC(nullptr);
  const HGDIOBJ previous = SelectObject(dc, font);
  char chosen[LF_FACESIZE] = "";
  GetTextFaceA(dc, sizeof chosen, chosen);
  SIZE extent{};
  GetTextExtentPoint32A(dc, text.c_str(), int(text.size()), &extent);
  SelectObject(dc, previous);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  std::printf("extent %ld %ld face=%s\n", extent.cx, extent.cy, chosen);
}

BOOL CALLBACK ReportChild(HWND child, LPARAM parentValue) {
  const auto parent = reinterpret_cast<HWND>(parentValue);
  if (GetParent(child) != parent) return TRUE;
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  const std::string text = TextOf(child);
  std::printf("child hwnd=%lu class=%s style=%08lx rect=%ld,%ld,%ld,%ld", HandleNumber(child),
              ClassOf(child).c_str(), GetWindowLongA(child, GWL_STYLE), r.left, r.top, r.right,
              r.bottom);
  std::printf(" text=%s\n", text.c_str());
  return TRUE;
}

struct Search {
  const char* title;
  std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND window, LPARAM searchValue) {
  auto& search = *reinterpret_cast<Search*>(searchValue);
  if (TextOf(window) == search.title) search.found.push_back(window);
  return TRUE;
}

std::vector<HWND> FindTopLevel(const char* title) {
  Search search{title, {}};
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void ReportWindow(HWND window) {
  RECT outer, client;
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  std::printf(
      "window hwnd=%lu class=%s pid=%lu visible=%d style=%08lx exstyle=%08lx "
      "rect=%ld,%ld,%ld,%ld client=%ld,%ld client_origin=%ld,%ld",
      HandleNumber(window), ClassOf(window).c_str(), process, IsWindowVisible(window) ? 1 : 0,
      GetWindowLongA(window, GWL_STYLE), GetWindowLongA(window, GWL_EXSTYLE), outer.left,
      outer.top, outer.right, outer.bottom, client.right, client.bottom, origin.x, origin.y);
  std::printf(" text=%s\n", TextOf(window).c_str());
  EnumChildWindows(window, ReportChild, reinterpret_cast<LPARAM>(window));
}

// WM_POWERBROADCAST as Windows sends it: the POWERBROADCAST_SETTING (laid out
// as below) in the window's own process.
void SendDisplayPower(HWND window, bool console, DWORD state) {
  // GUID_CONSOLE_DISPLAY_STATE or GUID_MONITOR_POWER_ON
  const GUID setting =
      console ? GUID{0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}}
              : GUID{0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};
  struct {
    GUID setting;
    DWORD length, state;
  } change{setting, sizeof state, state};
  static_assert(offsetof(POWERBROADCAST_SETTING, Data) == offsetof(decltype(change), state));
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, id);
  void* remote = VirtualAllocEx(process, nullptr, sizeof change, MEM_COMMIT, PAGE_READWRITE);
  WriteProcessMemory(process, remote, &change, sizeof change, nullptr);
  SendMessageA(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, LPARAM(remote));
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
}

void ReportBitmap(HMODULE module, const char* name) {
  const HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(2));  // RT_BITMAP
  if (found == nullptr) return;
  const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, found)));
  std::printf("bitmap %s %ldx%ldx%u\n", name, header->biWidth, header->biHeight,
              unsigned(header->biBitCount));
}

#pragma pack(push, 2)
struct IconGroupEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bits;
  DWORD bytes;
  WORD id;
};
struct IconGroup {
  WORD reserved, type, count;
  IconGroupEntry entries[1];
};
#pragma pack(pop)

BOOL CALLBACK ReportIcon(HMODULE module, LPCSTR, LPSTR name, LONG_PTR) {
  const HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
  const auto* group = static_cast<const IconGroup*>(LockResource(LoadResource(module, found)));
  std::printf("icon %u", unsigned(reinterpret_cast<UINT_PTR>(name)));
  for (WORD i = 0; i < group->count; ++i) {
    const IconGroupEntry& entry = group->entries[i];
    std::printf(" %ux%ux%u", entry.width ? entry.width : 256u, entry.height ? entry.height : 256u,
                unsigned(entry.bits));
  }
  std::printf("\n");
  return TRUE;
}

void ReportResources(const char* path) {
  const HMODULE module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) {
    std::printf("unreadable %s\n", path);
    return;
  }
  char text[256] = "";
  if (LoadStringA(module, 1, text, sizeof text) > 0) std::printf("string 1 %s\n", text);
  ReportBitmap(module, "MINIBMP");
  ReportBitmap(module, "LOGO");
  EnumResourceNamesA(module, MAKEINTRESOURCEA(14), ReportIcon, 0);
  if (const HRSRC manifest = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24))) {
    std::printf("manifest 1 %lu\n", SizeofResource(module, manifest));
  }
  if (FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16)) != nullptr) {
    std::printf("version 1\n");
  }
  FreeLibrary(module);
}

// Live entries of the process's GDI handle table, read from outside through
// its PEB: where GetGuiResources is not implemented (Wine), this still counts
// what the process holds. The table's cell is {kernel pointer; WORD owner,
// count, upper, type; user pointer}; a free cell has type 0. -1: unreadable.
long CountGdiHandles(HANDLE process) {
  using Query = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  const auto query = reinterpret_cast<Query>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  struct {
    void* exitStatus;
    unsigned char* peb;
    void* rest[4];
  } basic{};
  if (query == nullptr || query(process, 0, &basic, sizeof basic, nullptr) != 0) return -1;
  // GdiSharedHandleTable's place in the PEB.
  const std::size_t offset = sizeof(void*) == 8 ? 0xF8 : 0x94;
  unsigned char* table = nullptr;
  SIZE_T got = 0;
  if (!ReadProcessMemory(process, basic.peb + offset, &table, sizeof table, &got) ||
      table == nullptr)
    return -1;
  struct Cell {
    void* kernel;
    WORD owner, count, upper, type;
    void* user;
  };
  constexpr std::size_t kCells = 0x4000, kChunk = 0x400;
  std::vector<Cell> cells(kChunk);
  long live = 0;
  for (std::size_t first = 0; first < kCells; first += kChunk) {
    if (!ReadProcessMemory(process, table + first * sizeof(Cell), cells.data(),
                           kChunk * sizeof(Cell), &got))
      return first == 0 ? -1 : live;
    for (const Cell& cell : cells)
      if (cell.type != 0) ++live;
  }
  return live;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "windows" && argc == 3) {
    for (HWND window : FindTopLevel(argv[2])) ReportWindow(window);
    return 0;
  }
  if (command == "power" && argc == 5) {
    for (HWND window : FindTopLevel(argv[2]))
      SendDisplayPower(window, std::strcmp(argv[3], "console") == 0, DWORD(std::atoi(argv[4])));
    return 0;
  }
  if (command == "close" && argc == 3) {
    for (HWND window : FindTopLevel(argv[2])) PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
  }
  if (command == "semaphore" && argc == 3) {
    const HANDLE semaphore = OpenSemaphoreA(SYNCHRONIZE, FALSE, argv[2]);
    std::printf("%s\n", semaphore != nullptr ? "present" : "absent");
    if (semaphore != nullptr) CloseHandle(semaphore);
    return 0;
  }
  if (command == "screen") {
    std::printf("screen %d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    return 0;
  }
  if (command == "display" && argc == 4) {
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = DWORD(std::atoi(argv[2]));
    mode.dmPelsHeight = DWORD(std::atoi(argv[3]));
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    std::printf("display %ld\n", ChangeDisplaySettingsExA(nullptr, &mode, nullptr, 0, nullptr));
    return 0;
  }
  if (command == "cursor") {
    // Cursor handles of another process cannot be looked into, only compared.
    CURSORINFO info{};
    info.cbSize = sizeof info;
    GetCursorInfo(&info);
    std::printf("cursor %lu %s\n", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(info.hCursor)),
                info.flags & CURSOR_SHOWING ? "shown" : "hidden");
    return 0;
  }
  if (command == "gui" && argc == 3) {
    // GDI and USER objects that a process holds, given its Windows PID.
    const HANDLE process =
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, DWORD(std::strtoul(argv[2], nullptr, 10)));
    if (process == nullptr) {
      std::printf("gui none\n");
      return 1;
    }
    std::printf("gui %lu %lu %ld\n", GetGuiResources(process, GR_GDIOBJECTS),
                GetGuiResources(process, GR_USEROBJECTS), CountGdiHandles(process));
    CloseHandle(process);
    return 0;
  }
  if (command == "resources" && argc == 3) {
    ReportResources(argv[2]);
    return 0;
  }
  if (command == "extent" && argc == 7) {
    ReportExtent(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]), argv[6]);
    return 0;
  }
  std::fprintf(stderr, "usage: wininfo windows|close TITLE | semaphore NAME | screen | extent ...\n");
  return 2;
}
