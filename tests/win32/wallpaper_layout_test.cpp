// Where the wallpaper goes, from the settings Windows keeps for it; every
// rectangle worked by hand on a 1920 x 1080 primary monitor.
#include "win32/wallpaper_layout.h"

#include <gtest/gtest.h>

namespace {

using win32::WallpaperLayout;

TEST(WallpaperLayoutTest, StyleAndTileValuesNameTheLayout) {
  struct Case {
    const wchar_t *style, *tile;
    WallpaperLayout layout;
  } cases[] = {
      {L"10", L"0", WallpaperLayout::Fill},     {L"6", L"", WallpaperLayout::Fit},
      {L"2", L"1", WallpaperLayout::Stretch},   {L"22", L"0", WallpaperLayout::Span},
      {L"0", L"1", WallpaperLayout::Tile},      {L"0", L"0", WallpaperLayout::Center},
      {L"", L"1", WallpaperLayout::Tile},       {L"", L"", WallpaperLayout::Center},
      {L" 10 ", L"0", WallpaperLayout::Fill},   {L"3", L"1", WallpaperLayout::Center},
      {L"10x", L"1", WallpaperLayout::Tile},    {L"0", L"2", WallpaperLayout::Center},
      {L"99999", L"0", WallpaperLayout::Center}, {L"10", L"1", WallpaperLayout::Fill},
  };
  for (const Case& c : cases)
    EXPECT_EQ(int(win32::LayoutOfStyle(c.style, c.tile)), int(c.layout))
        << testing::PrintToString(std::wstring(c.style) + L" / " + c.tile);
}

TEST(WallpaperLayoutTest, BackgroundIsThreeNumbersOrBlack) {
  struct Case {
    const wchar_t* text;
    Color color;
  } cases[] = {
      {L"10 120 200", Rgb(10, 120, 200)}, {L"255 255 255", Rgb(255, 255, 255)},
      {L" 1  2 3 ", Rgb(1, 2, 3)},        {L"256 0 0", Rgb(0, 0, 0)},
      {L"1 2", Rgb(0, 0, 0)},             {L"1 2 3 4", Rgb(0, 0, 0)},
      {L"1,2,3", Rgb(0, 0, 0)},           {L"", Rgb(0, 0, 0)},
      {L"red", Rgb(0, 0, 0)},
  };
  for (const Case& c : cases)
    EXPECT_EQ(win32::BackgroundOfText(c.text), c.color)
        << testing::PrintToString(std::wstring(c.text));
}

TEST(WallpaperLayoutTest, PicturesBeyondEightKPixelsAreNotDecoded) {
  struct Case {
    win32::Size size;
    bool decodable;
  } cases[] = {
      {{1, 1}, true},          {{7680, 4320}, true},   {{32768, 1024}, true},
      {{8192, 4097}, false},   {{32769, 1}, false},    {{60000, 60000}, false},
      {{0, 5}, false},         {{5, -1}, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(win32::DecodableSize(c.size), c.decodable) << c.size.width << "x" << c.size.height;
}

TEST(WallpaperLayoutTest, PlacesThePictureAsWindowsDoes) {
  constexpr win32::Size kMonitor{1920, 1080};
  constexpr Rect kAlone{0, 0, 1920, 1080};
  // A 1280 x 1024 monitor left of the primary; one of 1920 x 1080 above it.
  constexpr Rect kLeft{-1280, 0, 1920, 1080}, kAbove{0, -1080, 1920, 1080};
  struct Case {
    WallpaperLayout layout;
    win32::Size picture;
    Rect desktop, placed;
  } cases[] = {
      {WallpaperLayout::Center, {800, 600}, kAlone, {560, 240, 1360, 840}},
      {WallpaperLayout::Center, {2001, 1101}, kAlone, {-40, -10, 1961, 1091}},
      {WallpaperLayout::Tile, {300, 200}, kAlone, {0, 0, 300, 200}},
      {WallpaperLayout::Stretch, {800, 600}, kAlone, {0, 0, 1920, 1080}},
      {WallpaperLayout::Fit, {800, 600}, kAlone, {240, 0, 1680, 1080}},
      {WallpaperLayout::Fit, {3000, 1000}, kAlone, {0, 220, 1920, 860}},
      {WallpaperLayout::Fit, {1920, 1080}, kAlone, {0, 0, 1920, 1080}},
      {WallpaperLayout::Fill, {800, 600}, kAlone, {0, -180, 1920, 1260}},
      {WallpaperLayout::Fill, {3000, 1000}, kAlone, {-660, 0, 2580, 1080}},
      {WallpaperLayout::Fill, {1000, 333}, kAlone, {-661, 0, 2582, 1080}},  // 3243.24 wide
      {WallpaperLayout::Fill, {1920, 1080}, kAlone, {0, 0, 1920, 1080}},
      {WallpaperLayout::Span, {1920, 1080}, kAlone, {0, 0, 1920, 1080}},
      {WallpaperLayout::Span, {3200, 1080}, kLeft, {-1280, 0, 1920, 1080}},
      {WallpaperLayout::Span, {1600, 900}, kLeft, {-1280, -360, 1920, 1440}},
      {WallpaperLayout::Span, {1920, 2160}, kAbove, {0, -1080, 1920, 1080}},
      {WallpaperLayout::Span, {1000, 1000}, kAbove, {-120, -1080, 2040, 1080}},
      {WallpaperLayout::Fill, {1000, 1000}, kAbove, {0, -420, 1920, 1500}},
  };
  for (const Case& c : cases) {
    const Rect placed = win32::PlaceWallpaper(c.layout, c.picture, kMonitor, c.desktop);
    EXPECT_EQ(placed, c.placed) << int(c.layout) << " " << c.picture.width << "x"
                                << c.picture.height << ": " << placed.left << "," << placed.top;
  }
}

}  // namespace
