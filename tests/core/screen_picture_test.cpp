// The desktop a binding keeps, opened at the window's size for every board:
// whatever sizes and pictures came before (the monitor turned and back, then
// one side alone changed), closed or not, each open reads the picture kept
// last, stretched nearest neighbour to the size now.
#include "core/screen_picture.h"

#include "tests/core/test_support.h"

TEST(ScreenPictureTest, EachOpenShowsTheLastPictureAtItsSize) {
  struct Step {
    int width, height;
    int keptWidth = 0, keptHeight = 0;  // a new picture of this size first
  } steps[] = {{768, 1024}, {1024, 768}, {1024, 600}, {1024, 768}, {800, 768}, {1024, 768},
               {800, 600}, {1024, 600}, {800, 600, 800, 600}, {800, 600}, {1024, 768},
               {1024, 768, 1024, 600}};
  for (const bool closed : {false, true}) {
    ScreenPicture screen;
    Raster picture = NumberedPicture(1024, 768);
    screen.Keep(picture);
    for (const auto [width, height, keptWidth, keptHeight] : steps) {
      if (keptWidth > 0) screen.Keep(picture = NumberedPicture(keptWidth, keptHeight));
      ASSERT_TRUE(screen.Open(width, height));
      Raster seen(width, height);
      screen.Copy(0, 0, seen);
      if (closed) screen.Close();
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
          ASSERT_EQ(seen.Pixel(x, y), picture.Pixel(x * picture.Width() / width,
                                                    y * picture.Height() / height))
              << width << "x" << height << " at " << x << "," << y << (closed ? ", closed" : "");
    }
  }
}
