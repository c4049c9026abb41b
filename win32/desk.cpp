#include "win32/desk.h"

#include "win32/desktop_picture.h"
#include "win32/monitors.h"
#include "win32/wallpaper.h"
#include "win32/win32_services.h"

namespace win32 {

namespace {

// The monitors, the primary among them even where the system lists none.
std::vector<MonitorPlace> Monitors() {
  std::vector<MonitorPlace> monitors = ListMonitors();
  for (const MonitorPlace& monitor : monitors)
    if (monitor.primary) return monitors;
  const SIZE screen = PrimaryScreenSize();
  monitors.push_back({"", {0, 0, screen.cx, screen.cy}, true});
  return monitors;
}

}  // namespace

void Desk::Photograph() {
  monitors_ = Monitors();
  std::vector<Rect> areas;
  for (const MonitorPlace& monitor : monitors_) areas.push_back(monitor.area);
  std::optional<std::vector<Raster>> photographs = PhotographDesktop(areas);
  wallpaper_ = !photographs;
  pictures_.resize(monitors_.size());
  for (std::size_t i = 0; i < monitors_.size(); ++i) {
    if (photographs) pictures_[i] = std::move((*photographs)[i]);
    if (monitors_[i].primary) primary_ = std::move(pictures_[i]), primaryArea_ = monitors_[i].area;
  }
}

std::optional<Raster> Desk::TakePrimaryPicture() {
  if (wallpaper_) return WallpaperPicture(primaryArea_);
  return std::move(primary_);
}

void Desk::Open(HWND saver, std::optional<std::uint64_t> seed) {
  seed_ = seed;
  covers_.Follow(saver, monitors_);
  for (std::size_t m : PlanBoards({}, monitors_).start) Start(saver, monitors_[m], pictures_[m]);
  monitors_.clear();
  pictures_.clear();
}

void Desk::Follow(HWND saver) {
  const std::vector<MonitorPlace> layout = Monitors();
  const BoardPlan plan = PlanBoards(boards_.Places(), layout);
  std::vector<std::optional<Raster>> pictures;
  for (std::size_t m : plan.start) {
    std::optional<std::vector<Raster>> photograph;
    if (!wallpaper_) photograph = PhotographDesktop({layout[m].area});
    pictures.push_back(photograph ? std::optional<Raster>(std::move(photograph->front())) : std::nullopt);
  }
  covers_.Follow(saver, layout);
  boards_.Follow(plan, layout);  // after the covers, so that the boards show over them
  for (std::size_t i = 0; i < plan.start.size(); ++i) Start(saver, layout[plan.start[i]], pictures[i]);
}

void Desk::Start(HWND saver, const MonitorPlace& monitor, const std::optional<Raster>& picture) {
  BoardOrders orders;
  orders.monitor = monitor.area;
  orders.saverWindow = reinterpret_cast<UINT_PTR>(saver);
  orders.saverProcess = GetCurrentProcessId();
  orders.wallpaper = wallpaper_;
  orders.seeded = seed_.has_value();
  orders.seed = seed_.value_or(0);
  boards_.Start(monitor, orders, picture);
}

void Desk::Close() {
  boards_.EndAll();
  covers_.Remove();
}

}  // namespace win32
