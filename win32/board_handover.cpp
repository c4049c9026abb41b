#include "win32/board_handover.h"

#include <cstring>

namespace win32 {

namespace {

constexpr char kMagic[8] = {'Q', 'M', 'B', 'O', 'A', 'R', 'D', '1'};
// A monitor larger than 8K's pixels is not a monitor's.
constexpr std::int64_t kMaxSide = 1 << 15, kMaxPixels = std::int64_t(1) << 26;

struct Header {
  char magic[8];
  BoardOrders orders;
  std::int32_t width, height;  // 0 x 0: no picture
};

std::size_t PictureBytes(std::int64_t width, std::int64_t height) {
  return std::size_t(height) * ((std::size_t(width) * Raster::kBytesPerPixel + 3) & ~std::size_t(3));
}

// The section's view, unmapped again when done.
class View {
 public:
  View(HANDLE section, DWORD access) : bits_(MapViewOfFile(section, access, 0, 0, 0)) {}
  ~View() {
    if (bits_ != nullptr) UnmapViewOfFile(bits_);
  }
  View(const View&) = delete;
  View& operator=(const View&) = delete;
  std::uint8_t* Bits() const { return static_cast<std::uint8_t*>(bits_); }

 private:
  void* bits_;
};

}  // namespace

HANDLE HandOver(const BoardOrders& orders, const std::optional<Raster>& picture) {
  Header header{{}, orders, picture ? picture->Width() : 0, picture ? picture->Height() : 0};
  std::memcpy(header.magic, kMagic, sizeof kMagic);
  const std::size_t pixels = PictureBytes(header.width, header.height);
  const unsigned long long size = sizeof header + pixels;
  const HANDLE section = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                            DWORD(size >> 32), DWORD(size), nullptr);
  if (section == nullptr) return nullptr;
  const View view(section, FILE_MAP_WRITE);
  if (view.Bits() == nullptr) {
    CloseHandle(section);
    return nullptr;
  }
  std::memcpy(view.Bits(), &header, sizeof header);
  if (pixels > 0) std::memcpy(view.Bits() + sizeof header, picture->Bits(), pixels);
  return section;
}

std::optional<Handover> TakeOver(HANDLE section) {
  const View view(section, FILE_MAP_READ);
  MEMORY_BASIC_INFORMATION region{};
  if (view.Bits() == nullptr || VirtualQuery(view.Bits(), &region, sizeof region) == 0 ||
      region.RegionSize < sizeof(Header))
    return std::nullopt;
  Header header;
  std::memcpy(&header, view.Bits(), sizeof header);
  const Rect& monitor = header.orders.monitor;
  const std::int64_t width = header.width, height = header.height;
  const bool sized = (width == 0 && height == 0) ||
                     (width == monitor.Width() && height == monitor.Height() && width > 0 &&
                      height > 0 && width <= kMaxSide && height <= kMaxSide &&
                      width * height <= kMaxPixels);
  if (std::memcmp(header.magic, kMagic, sizeof kMagic) != 0 || !sized || monitor.Width() <= 0 ||
      monitor.Height() <= 0 || region.RegionSize - sizeof header < PictureBytes(width, height))
    return std::nullopt;
  Handover handover{header.orders, std::nullopt};
  if (width > 0) {
    handover.picture.emplace(int(width), int(height));
    std::memcpy(handover.picture->Row(0), view.Bits() + sizeof header, PictureBytes(width, height));
  }
  return handover;
}

}  // namespace win32
