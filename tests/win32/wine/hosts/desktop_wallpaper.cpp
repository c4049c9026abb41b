// Test-only in-process COM server under IDesktopWallpaper's class id, which
// this Wine does not register: the per-monitor wallpaper as Windows 8 on
// answers it, from QUILLMERE_TEST_WALLPAPERS, "POSITION" (a
// DESKTOP_WALLPAPER_POSITION) then "|LEFT TOP RIGHT BOTTOM PATH" for each
// monitor. A test registers it in its prefix; what it does not read answers
// E_NOTIMPL.
#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Monitor {
  RECT area;
  std::wstring wallpaper;
};

HRESULT Copy(const std::wstring& text, LPWSTR* into) {
  *into = static_cast<wchar_t*>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
  if (*into == nullptr) return E_OUTOFMEMORY;
  std::memcpy(*into, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  return S_OK;
}

class DesktopWallpaper final : public IDesktopWallpaper {
 public:
  DesktopWallpaper() {
    wchar_t text[4096] = L"";
    GetEnvironmentVariableW(L"QUILLMERE_TEST_WALLPAPERS", text, 4096);
    int position = DWPOS_FILL;
    std::swscanf(text, L"%d", &position);
    position_ = DESKTOP_WALLPAPER_POSITION(position);
    for (const wchar_t* at = std::wcschr(text, L'|'); at != nullptr; at = std::wcschr(at + 1, L'|')) {
      Monitor monitor{};
      int used = 0;
      if (std::swscanf(at + 1, L"%ld %ld %ld %ld %n", &monitor.area.left, &monitor.area.top,
                       &monitor.area.right, &monitor.area.bottom, &used) < 4)
        continue;
      const wchar_t* end = std::wcschr(at + 1, L'|');
      monitor.wallpaper.assign(at + 1 + used, end != nullptr ? end : at + 1 + std::wcslen(at + 1));
      monitors_.push_back(monitor);
    }
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    *object = IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDesktopWallpaper) ? this : nullptr;
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // A monitor's id is its number.
  HRESULT STDMETHODCALLTYPE GetMonitorDevicePathAt(UINT index, LPWSTR* id) override {
    return index < monitors_.size() ? Copy(std::to_wstring(index), id) : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE GetMonitorDevicePathCount(UINT* count) override {
    *count = UINT(monitors_.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetWallpaper(LPCWSTR id, LPWSTR* wallpaper) override {
    const Monitor* monitor = Find(id);
    return monitor != nullptr ? Copy(monitor->wallpaper, wallpaper) : E_INVALIDARG;
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
    for (std::size_t i = 0; i < monitors_.size(); ++i)
      if (id != nullptr && std::to_wstring(i) == id) return &monitors_[i];
    return nullptr;
  }

  ULONG references_ = 1;
  std::vector<Monitor> monitors_;
  DESKTOP_WALLPAPER_POSITION position_ = DWPOS_FILL;
};

class Factory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    *object = IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IClassFactory) ? this : nullptr;
    return *object != nullptr ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // never freed
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID id, void** object) override {
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto* wallpaper = new DesktopWallpaper;
    const HRESULT result = wallpaper->QueryInterface(id, object);
    wallpaper->Release();
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
} factory;

}  // namespace

// Exported by name through desktop_wallpaper.def.
STDAPI DllGetClassObject(REFCLSID id, REFIID wanted, LPVOID* object) {
  if (!IsEqualCLSID(id, CLSID_DesktopWallpaper)) return CLASS_E_CLASSNOTAVAILABLE;
  return factory.QueryInterface(wanted, object);
}

STDAPI DllCanUnloadNow() { return S_FALSE; }
