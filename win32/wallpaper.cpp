#include "win32/wallpaper.h"

#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <algorithm>
#include <exception>
#include <string>
#include <vector>

#include "core/smooth_stretch.h"
#include "win32/monitors.h"
#include "win32/picture_file.h"
#include "win32/wallpaper_layout.h"

namespace win32 {

namespace {

constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";

struct Wallpaper {
  std::wstring path;
  WallpaperLayout layout;
};

// COM on this thread while the wallpaper is read.
class ComApartment {
 public:
  ComApartment()
      : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  const HRESULT result_;
};

// A short string value under HKEY_CURRENT_USER; empty if there is none.
std::wstring RegistryText(const wchar_t* key, const wchar_t* name) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
    return L"";
  wchar_t text[64] = L"";  // one more than read, so that it ends in a null
  DWORD type = 0, bytes = sizeof text - sizeof *text;
  const LONG read =
      RegQueryValueExW(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes);
  RegCloseKey(handle);
  return read == ERROR_SUCCESS && type == REG_SZ ? text : L"";
}

WallpaperLayout LayoutOfPosition(DESKTOP_WALLPAPER_POSITION position) {
  switch (position) {
    case DWPOS_TILE:
      return WallpaperLayout::Tile;
    case DWPOS_STRETCH:
      return WallpaperLayout::Stretch;
    case DWPOS_FIT:
      return WallpaperLayout::Fit;
    case DWPOS_FILL:
      return WallpaperLayout::Fill;
    case DWPOS_SPAN:
      return WallpaperLayout::Span;
    default:
      return WallpaperLayout::Center;
  }
}

// Windows 8 on: the monitor's own wallpaper (an empty path for a plain
// colour); nothing where the interface is missing or knows no monitor there.
std::optional<Wallpaper> MonitorWallpaper(Rect wanted) {
  Microsoft::WRL::ComPtr<IDesktopWallpaper> desktop;
  if (FAILED(CoCreateInstance(CLSID_DesktopWallpaper, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&desktop))))
    return std::nullopt;
  UINT count = 0;
  if (FAILED(desktop->GetMonitorDevicePathCount(&count))) return std::nullopt;
  for (UINT i = 0; i < count; ++i) {
    LPWSTR monitor = nullptr, path = nullptr;
    if (FAILED(desktop->GetMonitorDevicePathAt(i, &monitor))) continue;
    // A monitor that is not attached answers S_FALSE, with no place.
    RECT area{};
    const bool found = desktop->GetMonitorRECT(monitor, &area) == S_OK &&
                       Rect{area.left, area.top, area.right, area.bottom} == wanted &&
                       SUCCEEDED(desktop->GetWallpaper(monitor, &path));
    CoTaskMemFree(monitor);
    if (!found) continue;
    Wallpaper wallpaper{path != nullptr ? path : L"", WallpaperLayout::Fill};
    CoTaskMemFree(path);
    DESKTOP_WALLPAPER_POSITION position = DWPOS_FILL;
    if (SUCCEEDED(desktop->GetPosition(&position))) wallpaper.layout = LayoutOfPosition(position);
    return wallpaper;
  }
  return std::nullopt;
}

// The files that may hold the wallpaper, the likeliest first: none where the
// desktop shows a plain colour; the copy Windows keeps where the file the
// settings name is gone.
std::vector<Wallpaper> Wallpapers(Rect monitor) {
  std::vector<Wallpaper> found;
  if (const std::optional<Wallpaper> own = MonitorWallpaper(monitor); own && !own->path.empty())
    found.push_back(*own);
  const WallpaperLayout layout = LayoutOfStyle(RegistryText(kDesktopKey, L"WallpaperStyle"),
                                               RegistryText(kDesktopKey, L"TileWallpaper"));
  wchar_t path[MAX_PATH] = L"";
  if (SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, path, 0) && path[0] != L'\0' &&
      (found.empty() || found.back().path != path))
    found.push_back({path, layout});
  if (found.empty()) return found;
  wchar_t copy[MAX_PATH] = L"";
  const DWORD length = ExpandEnvironmentStringsW(
      L"%APPDATA%\\Microsoft\\Windows\\Themes\\TranscodedWallpaper", copy, MAX_PATH);
  if (length > 0 && length <= MAX_PATH) found.push_back({copy, layout});
  return found;
}

// The wallpaper laid out over the monitor at `place`; throws where it cannot.
Raster LayOut(const Wallpaper& wallpaper, Color background, Rect place) {
  PictureFile file(wallpaper.path.c_str());
  const Size size = file.PictureSize();
  const Size monitor{int(place.Width()), int(place.Height())};
  const Rect area = PlaceWallpaperOn(wallpaper.layout, size, place, VirtualScreen());
  const PictureRows rows = [&](int y, int from, int count, std::uint8_t* into) {
    file.ReadRow(y, from, count, into);
  };
  Raster picture(monitor.width, monitor.height);
  const Rect screen{0, 0, monitor.width, monitor.height};
  if (wallpaper.layout == WallpaperLayout::Tile) {
    // As much of one tile as the monitor shows, decoded once and repeated.
    Raster tile(std::min(size.width, monitor.width), std::min(size.height, monitor.height));
    SmoothStretch(tile, area, size.width, size.height, rows);
    for (int y = 0; y < monitor.height; y += size.height)
      for (int x = 0; x < monitor.width; x += size.width) picture.Draw(x, y, tile);
    return picture;
  }
  const bool covered = area.left <= 0 && area.top <= 0 && area.right >= screen.right &&
                       area.bottom >= screen.bottom;
  if (!covered) picture.Fill(screen, background);
  SmoothStretch(picture, area, size.width, size.height, rows);
  return picture;
}

}  // namespace

std::optional<Raster> WallpaperPicture(Rect monitor) {
  try {
    const ComApartment com;
    const Color background =
        BackgroundOfText(RegistryText(L"Control Panel\\Colors", L"Background"));
    for (const Wallpaper& wallpaper : Wallpapers(monitor)) {
      try {
        return LayOut(wallpaper, background, monitor);
      } catch (const std::exception&) {
        // Missing, damaged, too large or of no format WIC knows: the next.
      }
    }
  } catch (const std::exception&) {
  }
  return std::nullopt;
}

}  // namespace win32
