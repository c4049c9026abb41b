// Where the wallpaper goes, from the settings Windows keeps for it; every
// rectangle worked by hand (a scaled side in exact fractions, rounded half
// up) on a 1920 x 1080 primary monitor.
#include "win32/wallpaper_layout.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using win32::WallpaperLayout;
constexpr auto kFill = WallpaperLayout::Fill, kFit = WallpaperLayout::Fit,
               kStretch = WallpaperLayout::Stretch, kSpan = WallpaperLayout::Span,
               kTile = WallpaperLayout::Tile, kCenter = WallpaperLayout::Center;

TEST(WallpaperLayoutTest, StyleAndTileValuesNameTheLayout) {
  struct Case {
    const wchar_t *style, *tile;
    WallpaperLayout layout;
  } cases[] = {
      {L"10", L"0", kFill},    {L"6", L"", kFit},      {L"2", L"1", kStretch},
      {L"22", L"0", kSpan},    {L"0", L"1", kTile},    {L"0", L"0", kCenter},
      {L"", L"1", kTile},      {L"", L"", kCenter},    {L" 10 ", L"0", kFill},
      {L"3", L"1", kCenter},   {L"10x", L"1", kTile},  {L"0", L"2", kCenter},
      {L"99999", L"0", kCenter}, {L"10", L"1", kFill},
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
      {L" 1  2 3 ", Rgb(1, 2, 3)}, {L"256 0 0", 0}, {L"1 2", 0}, {L"1 2 3 4", 0},
      {L"1,2,3", 0}, {L"", 0}, {L"red", 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(win32::BackgroundOfText(c.text), c.color) << testing::PrintToString(std::wstring(c.text));
}

TEST(WallpaperLayoutTest, PicturesBeyondEightKPixelsAreNotDecoded) {
  struct Case {
    win32::Size size;
    bool decodable;
  } cases[] = {{{1, 1}, true},         {{7680, 4320}, true}, {{32768, 1024}, true},
               {{8192, 4097}, false},  {{32769, 1}, false},  {{60000, 60000}, false},
               {{0, 5}, false},        {{5, -1}, false}};
  for (const Case& c : cases)
    EXPECT_EQ(win32::DecodableSize(c.size), c.decodable) << c.size.width << "x" << c.size.height;
}

TEST(WallpaperLayoutTest, PlacesThePictureAsWindowsDoes) {
  constexpr Rect kAlone{0, 0, 1920, 1080};
  // A 1280 x 1024 monitor left of the primary; one of 1920 x 1080 above it.
  constexpr Rect kLeft{-1280, 0, 1920, 1080}, kAbove{0, -1080, 1920, 1080};
  struct Case {
    WallpaperLayout layout;
    win32::Size picture;
    Rect desktop, placed;
  } cases[] = {
      {kCenter, {800, 600}, kAlone, {560, 240, 1360, 840}},
      {kCenter, {2001, 1101}, kAlone, {-40, -10, 1961, 1091}},  // halves truncated
      {kCenter, {801, 601}, kAlone, {559, 239, 1360, 840}},
      {kCenter, {1919, 1081}, kAlone, {0, 0, 1919, 1081}},
      {kCenter, {1921, 1079}, kAlone, {0, 0, 1921, 1079}},
      {kTile, {300, 200}, kAlone, {0, 0, 300, 200}},
      {kStretch, {800, 600}, kAlone, {0, 0, 1920, 1080}},
      {kFit, {800, 600}, kAlone, {240, 0, 1680, 1080}},
      {kFit, {3000, 1000}, kAlone, {0, 220, 1920, 860}},
      {kFit, {1920, 1080}, kAlone, {0, 0, 1920, 1080}},
      // Scaled sides whose exact size lies either side of a half:
      {kFit, {455, 256}, kAlone, {0, 0, 1920, 1080}},    // 1919.53
      {kFit, {1279, 720}, kAlone, {0, 0, 1919, 1080}},   // 1918.5
      {kFit, {402, 226}, kAlone, {0, 0, 1920, 1079}},    // 1079.40
      {kFit, {768, 301}, kAlone, {0, 163, 1920, 916}},   // 752.5
      {kFill, {377, 212}, kAlone, {0, 0, 1921, 1080}},   // 1920.57
      {kFill, {769, 432}, kAlone, {-1, 0, 1922, 1080}},  // 1922.5
      {kFill, {510, 287}, kAlone, {0, 0, 1920, 1080}},   // 1080.47
      {kFill, {800, 600}, kAlone, {0, -180, 1920, 1260}},
      {kFill, {3000, 1000}, kAlone, {-660, 0, 2580, 1080}},
      {kFill, {1000, 333}, kAlone, {-661, 0, 2582, 1080}},  // 3243.24 wide
      {kFill, {1000, 1000}, kAbove, {0, -420, 1920, 1500}},
      {kSpan, {1920, 1080}, kAlone, {0, 0, 1920, 1080}},
      {kSpan, {3200, 1080}, kLeft, {-1280, 0, 1920, 1080}},
      {kSpan, {1600, 900}, kLeft, {-1280, -360, 1920, 1440}},
      {kSpan, {1920, 2160}, kAbove, {0, -1080, 1920, 1080}},
      {kSpan, {1000, 1000}, kAbove, {-120, -1080, 2040, 1080}},
      {kSpan, {854, 288}, kLeft, {-1281, 0, 1922, 1080}},    // 3202.5
      {kSpan, {601, 203}, kLeft, {-1280, 0, 1920, 1081}},    // 1080.87
      {kSpan, {729, 246}, kLeft, {-1280, 0, 1920, 1080}},    // 3200.49
  };
  for (const Case& c : cases) {
    const Rect placed = win32::PlaceWallpaper(c.layout, c.picture, {1920, 1080}, c.desktop);
    EXPECT_EQ(placed, c.placed) << int(c.layout) << " " << c.picture.width << "x"
                                << c.picture.height << ": " << placed.left << "," << placed.top
                                << "," << placed.right << "," << placed.bottom;
  }
}

TEST(WallpaperLayoutTest, PlacesItOnAnyMonitorFromItsOwnCorner) {
  // A 1280 x 1024 monitor left of a 1920 x 1080 primary, one of 1920 x 1080
  // above it, one of 1280 x 1024 right of it and 200 lower.
  constexpr Rect kPrimary{0, 0, 1920, 1080}, kLeftOne{-1280, 0, 0, 1024},
      kAboveOne{0, -1080, 1920, 0}, kRightOne{1920, 200, 3200, 1224};
  constexpr Rect kLeft{-1280, 0, 1920, 1080}, kAbove{0, -1080, 1920, 1080},
      kRight{0, 0, 3200, 1224};
  struct Case {
    WallpaperLayout layout;
    win32::Size picture;
    Rect monitor, desktop, placed;
  } cases[] = {
      {kFill, {800, 600}, kLeftOne, kLeft, {-42, 0, 1323, 1024}},  // 1365.33 wide
      {kFit, {800, 600}, kLeftOne, kLeft, {0, 32, 1280, 992}},
      {kCenter, {800, 600}, kLeftOne, kLeft, {240, 212, 1040, 812}},
      {kTile, {300, 200}, kLeftOne, kLeft, {0, 0, 300, 200}},
      {kStretch, {800, 600}, kAboveOne, kAbove, {0, 0, 1920, 1080}},
      {kFill, {800, 600}, kPrimary, kLeft, {0, -180, 1920, 1260}},
      {kSpan, {3200, 1080}, kLeftOne, kLeft, {0, 0, 3200, 1080}},
      {kSpan, {3200, 1080}, kPrimary, kLeft, {-1280, 0, 1920, 1080}},
      {kSpan, {1600, 900}, kLeftOne, kLeft, {0, -360, 3200, 1440}},
      {kSpan, {1920, 2160}, kAboveOne, kAbove, {0, 0, 1920, 2160}},
      {kSpan, {1920, 2160}, kPrimary, kAbove, {0, -1080, 1920, 1080}},
      {kSpan, {1000, 1000}, kAboveOne, kAbove, {-120, 0, 2040, 2160}},
      {kSpan, {3200, 1224}, kRightOne, kRight, {-1920, -200, 1280, 1024}},
      {kSpan, {0, 1224}, kRightOne, kRight, {}},
  };
  for (const Case& c : cases) {
    const Rect placed = win32::PlaceWallpaperOn(c.layout, c.picture, c.monitor, c.desktop);
    EXPECT_EQ(placed, c.placed) << int(c.layout) << " on " << c.monitor.left << ","
                                << c.monitor.top << ": " << placed.left << "," << placed.top
                                << "," << placed.right << "," << placed.bottom;
  }
}

}  // namespace
