// Test-only in-process COM server under IDesktopWallpaper's class id, which
// this Wine does not register: the per-monitor wallpaper as Windows 8 on
// answers it, read from the file that QUILLMERE_TEST_WALLPAPERS names:
//
//   position N                      DESKTOP_WALLPAPER_POSITION, for all
//   monitor LEFT TOP RIGHT BOTTOM PATH
//                                   one monitor: its place, its wallpaper
//
// Registered in a test prefix's HKLM\Software\Classes\CLSID\{...}\InprocServer32.
// Everything but reading answers E_NOTIMPL.
#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Monitor {
  RECT area;
  std::wstring wallpaper;
};

std::wstring Wide(const char* text) {
  std::wstring wide(std::strlen(text) + 1, L'\0');
  wide.resize(MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), int(wide.size())) - 1);
  return wide;
}

wchar_t* Copy(const std::wstring& text) {
  auto* copy = static_cast<wchar_t*>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
  if (copy != nullptr) std::memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  return copy;
}

std::wstring DevicePath(UINT index) { return L"\\\\?\\TEST#MONITOR#" + std::to_wstring(index); }

class DesktopWallpaper final : public IDesktopWallpaper {
 public:
  DesktopWallpaper() {
    char file[MAX_PATH] = "", line[1024];
    GetEnvironmentVariableA("QUILLMERE_TEST_WALLPAPERS", file, sizeof file);
    FILE* answers = std::fopen(file, "r");
    if (answers == nullptr) return;
    while (std::fgets(line, sizeof line, answers) != nullptr) {
      line[std::strcspn(line, "\r\n")] = '\0';
      Monitor monitor{};
      int used = 0, position = 0;
      if (std::sscanf(line, "position %d", &position) == 1) position_ = DESKTOP_WALLPAPER_POSITION(position);
      if (std::sscanf(line, "monitor %ld %ld %ld %ld %n", &monitor.area.left, &monitor.area.top,
                      &monitor.area.right, &monitor.area.bottom, &used) == 4) {
        monitor.wallpaper = Wide(line + used);
        monitors_.push_back(monitor);
      }
    }
    std::fclose(answers);
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (!IsEqualIID(id, IID_IUnknown) && !IsEqualIID(id, IID_IDesktopWallpaper)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<IDesktopWallpaper*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetWallpaper(LPCWSTR id, LPWSTR* wallpaper) override {
    const Monitor* monitor = Find(id);
    if (monitor == nullptr) return E_INVALIDARG;
    *wallpaper = Copy(monitor->wallpaper);
    return *wallpaper != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE GetMonitorDevicePathAt(UINT index, LPWSTR* id) override {
    if (index >= monitors_.size()) return E_INVALIDARG;
    *id = Copy(DevicePath(index));
    return *id != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE GetMonitorDevicePathCount(UINT* count) override {
    *count = UINT(monitors_.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetMonitorRECT(LPCWSTR id, RECT* area) override {
    const Monitor* monitor = Find(id);
    if (monitor == nullptr) return E_INVALIDARG;
    *area = monitor->area;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPosition(DESKTOP_WALLPAPER_POSITION* position) override {
    *position = position_;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE SetWallpaper(LPCWSTR, LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetBackgroundColor(COLORREF) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetBackgroundColor(COLORREF*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetPosition(DESKTOP_WALLPAPER_POSITION) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetSlideshow(IShellItemArray*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetSlideshow(IShellItemArray**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetSlideshowOptions(DESKTOP_SLIDESHOW_OPTIONS, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetSlideshowOptions(DESKTOP_SLIDESHOW_OPTIONS*, UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE AdvanceSlideshow(LPCWSTR, DESKTOP_SLIDESHOW_DIRECTION) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetStatus(DESKTOP_SLIDESHOW_STATE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Enable(BOOL) override { return E_NOTIMPL; }

 private:
  const Monitor* Find(LPCWSTR id) const {
    for (UINT i = 0; i < monitors_.size(); ++i)
      if (id != nullptr && DevicePath(i) == id) return &monitors_[i];
    return nullptr;
  }

  ULONG references_ = 1;
  std::vector<Monitor> monitors_;
  DESKTOP_WALLPAPER_POSITION position_ = DWPOS_FILL;
};

class Factory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (!IsEqualIID(id, IID_IUnknown) && !IsEqualIID(id, IID_IClassFactory)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID id, void** object) override {
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto* wallpaper = new DesktopWallpaper;
    const HRESULT result = wallpaper->QueryInterface(id, object);
    wallpaper->Release();
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory factory;

}  // namespace

// Exported by name through desktop_wallpaper.def.
STDAPI DllGetClassObject(REFCLSID id, REFIID wanted, LPVOID* object) {
  if (!IsEqualCLSID(id, CLSID_DesktopWallpaper)) return CLASS_E_CLASSNOTAVAILABLE;
  return factory.QueryInterface(wanted, object);
}

STDAPI DllCanUnloadNow() { return S_FALSE; }
