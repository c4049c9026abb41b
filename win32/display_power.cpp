#include "win32/display_power.h"

#include <versionhelpers.h>

#include <cstring>

#include "win32/win32_services.h"

namespace {

using MForm_unit::DisplayPower;

// GUID_CONSOLE_DISPLAY_STATE: 0 off, 1 on, 2 dimmed.
constexpr GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
// GUID_MONITOR_POWER_ON: 0 off, 1 on.
constexpr GUID kMonitorPowerOn = {
    0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

using Registration = HPOWERNOTIFY(WINAPI*)(HANDLE, LPCGUID, DWORD);
using Unregistration = BOOL(WINAPI*)(HPOWERNOTIFY);

}  // namespace

namespace win32 {

void DisplayPowerNotices::Register(HWND window) {
  // Windows XP lacks the call; it is looked up so that XP still starts.
  static const auto registerFor = User32Function<Registration>("RegisterPowerSettingNotification");
  if (registerFor == nullptr) return;
  // Before Windows 8 there is no console display state to ask for.
  if (IsWindows8OrGreater())
    registration_ = registerFor(window, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
  if (registration_ == nullptr)
    registration_ = registerFor(window, &kMonitorPowerOn, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void DisplayPowerNotices::Unregister() {
  static const auto unregister = User32Function<Unregistration>("UnregisterPowerSettingNotification");
  if (registration_ != nullptr && unregister != nullptr) unregister(registration_);
  registration_ = nullptr;
}

std::optional<DisplayPower> DisplayPowerOf(WPARAM event, LPARAM setting) {
  if (event != PBT_POWERSETTINGCHANGE || setting == 0) return std::nullopt;
  const auto& change = *reinterpret_cast<const POWERBROADCAST_SETTING*>(setting);
  if (!IsEqualGUID(change.PowerSetting, kConsoleDisplayState) &&
      !IsEqualGUID(change.PowerSetting, kMonitorPowerOn))
    return std::nullopt;
  if (change.DataLength < sizeof(DWORD)) return std::nullopt;
  DWORD state = 0;
  std::memcpy(&state, change.Data, sizeof state);
  switch (state) {
    case 0:
      return DisplayPower::Off;
    case 2:
      return DisplayPower::Dimmed;
    default:
      return DisplayPower::On;
  }
}

}  // namespace win32
