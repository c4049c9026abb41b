#include "core/sample_desktop.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "core/smooth_stretch.h"

// Shapes are laid out in fractions of the picture, so every size shows the
// same scene. Only this file's own arithmetic is used: no fonts, no files.

namespace {

struct Rgbf {
  double r, g, b;
};

Rgbf Mix(Rgbf a, Rgbf b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Every channel stays at 1 or above: pure black is the saver's own colour.
// (Rounding by adding a half: lround is a library call on 32-bit Windows.)
Color ToColor(Rgbf c) {
  const auto channel = [](double v) { return std::clamp(int(v + 0.5), 1, 255); };
  return Rgb(channel(c.r), channel(c.g), channel(c.b));
}

double Smoothstep(double edge0, double edge1, double x) {
  const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

constexpr double kPi = std::numbers::pi;

// All of the scene is soft but the ridges of the hills: a taller one is drawn
// this many rows tall and scaled up smoothly, so that it costs the same on
// any screen (seconds at 4K otherwise, in 32-bit floating point).
constexpr int kSceneRows = 768;

// The sky's own colour in row v, from the zenith down to the horizon.
Rgbf SkyGradient(double v) {
  const Rgbf zenith{38, 92, 178}, horizon{176, 214, 240};
  return Mix(zenith, horizon, std::pow(v / 0.62, 1.4));
}

// Sky, sun and clouds at (u, v), both 0..1 over the area above the taskbar,
// over the gradient's colour of row v.
Rgbf Sky(double u, double v, double aspect, Rgbf sky) {
  // Sun with a soft halo, upper right.
  const double su = 0.78, sv = 0.17;
  const double sunDistance = std::hypot((u - su) * aspect, v - sv);
  const Rgbf sun{255, 246, 200};
  sky = Mix(sky, Rgbf{250, 236, 190}, 0.55 * std::exp(-sunDistance * 9));
  sky = Mix(sky, sun, Smoothstep(0.062, 0.055, sunDistance));

  // Clouds: overlapping soft discs over a flat base line.
  struct Puff {
    double u, v, radius;
  };
  struct Cloud {
    double base;  // v of the flat bottom
    Puff puffs[5];
  };
  static constexpr Cloud kClouds[] = {
      {0.190, {{0.12, 0.170, 0.034}, {0.165, 0.140, 0.050}, {0.215, 0.125, 0.060},
               {0.265, 0.150, 0.045}, {0.300, 0.172, 0.030}}},
      {0.300, {{0.45, 0.285, 0.028}, {0.485, 0.260, 0.040}, {0.525, 0.250, 0.046},
               {0.565, 0.272, 0.034}, {0.590, 0.290, 0.022}}},
      {0.385, {{0.865, 0.372, 0.020}, {0.89, 0.355, 0.030}, {0.92, 0.348, 0.034},
               {0.95, 0.362, 0.026}, {0.972, 0.376, 0.016}}},
  };
  double cloud = 0, shade = 0;
  for (const Cloud& c : kClouds) {
    double cover = 0;
    for (const Puff& puff : c.puffs) {
      // Most of the sky is outside every puff, where no root need be taken.
      const double dx = (u - puff.u) * aspect, dy = (v - puff.v) * 1.3;
      if (dx * dx + dy * dy >= puff.radius * puff.radius) continue;
      cover = std::max(cover, Smoothstep(puff.radius, puff.radius * 0.75, std::hypot(dx, dy)));
    }
    cover *= Smoothstep(c.base + 0.006, c.base - 0.004, v);
    if (cover > cloud) {
      cloud = cover;
      shade = std::clamp((v - (c.base - 0.09)) / 0.09, 0.0, 1.0);  // greyer toward the base
    }
  }
  const Rgbf cloudColor = Mix(Rgbf{252, 252, 255}, Rgbf{208, 218, 236}, shade);
  return Mix(sky, cloudColor, cloud * 0.92);
}

struct Hill {
  double base;                  // mean height of the ridge, fraction of the area
  double amp1, freq1, phase1;   // two sines make a rolling ridge
  double amp2, freq2, phase2;
  Rgbf top, bottom;             // colour at the ridge and at the foot
};

// Farthest first; nearer hills are darker and more saturated.
constexpr Hill kHills[] = {
    {0.50, 0.045, 1.3, 0.6, 0.020, 3.1, 1.9, {150, 196, 150}, {118, 172, 120}},
    {0.60, 0.055, 1.9, 2.4, 0.025, 4.3, 0.3, {104, 176, 84}, {76, 148, 62}},
    {0.71, 0.050, 1.1, 4.0, 0.020, 5.2, 2.7, {70, 150, 52}, {44, 112, 36}},
};

double Ridge(const Hill& hill, double u) {
  return hill.base - hill.amp1 * std::sin(2 * kPi * hill.freq1 * u + hill.phase1) -
         hill.amp2 * std::sin(2 * kPi * hill.freq2 * u + hill.phase2);
}

// Sky and hills over the top `sceneHeight` rows, for a scene of that aspect.
void DrawScene(Raster& desktop, int sceneHeight, double aspect) {
  const int width = desktop.Width();
  std::vector<double> ridges(std::size(kHills) * std::size_t(width));
  for (int x = 0; x < width; ++x) {
    const double u = (x + 0.5) / width;
    for (std::size_t h = 0; h < std::size(kHills); ++h) ridges[h * width + x] = Ridge(kHills[h], u);
  }
  for (int y = 0; y < sceneHeight; ++y) {
    const double v = (y + 0.5) / sceneHeight;
    const Rgbf gradient = SkyGradient(v);
    for (int x = 0; x < width; ++x) {
      const double u = (x + 0.5) / width;
      Rgbf color{};
      bool ground = false;
      // The nearest hill whose ridge lies above this pixel covers it.
      for (std::size_t h = std::size(kHills); h-- > 0;) {
        const double ridge = ridges[h * width + x];
        if (v < ridge) continue;
        const Hill& hill = kHills[h];
        color = Mix(hill.top, hill.bottom, (v - ridge) / (1.0 - ridge + 1e-9) * 1.6);
        // A lit rim along the ridge line.
        color = Mix(color, Mix(hill.top, Rgbf{230, 240, 190}, 0.5),
                    Smoothstep(0.012, 0.0, v - ridge) * 0.6);
        ground = true;
        break;
      }
      desktop.SetPixel(x, y, ToColor(ground ? color : Sky(u, v, aspect, gradient)));
    }
  }
}

void DrawTaskbar(Raster& desktop, int top) {
  const int width = desktop.Width(), bar = desktop.Height() - top;
  if (bar <= 0) return;
  for (int y = top; y < desktop.Height(); ++y) {
    const double t = double(y - top) / bar;
    desktop.Fill({0, y, width, y + 1}, ToColor(Mix(Rgbf{74, 100, 148}, Rgbf{40, 60, 104}, t)));
  }
  desktop.Fill({0, top, width, top + 1}, Rgb(126, 154, 200));  // light top edge

  const int pad = std::max(bar / 6, 1);
  const int inner = std::max(bar - 2 * pad, 1);
  const int y0 = top + pad, y1 = y0 + inner;
  // Start button: a rounded green pill with a small four-pane emblem.
  const int startRight = std::min(inner * 3, width);
  const Color green = Rgb(62, 150, 70), greenLight = Rgb(96, 184, 96);
  desktop.Fill({1, y0 + 1, startRight - 1, y1 - 1}, green);
  desktop.Fill({2, y0, startRight - 2, y1}, green);
  desktop.Fill({2, y0 + 1, startRight - 2, y0 + 1 + std::max(inner / 4, 1)}, greenLight);
  const int pane = std::max(inner / 4, 1), ex = inner / 2, ey = y0 + inner / 2 - pane;
  const Color panes[] = {Rgb(236, 92, 64), Rgb(120, 196, 70), Rgb(70, 150, 236), Rgb(250, 200, 60)};
  for (int i = 0; i < 4; ++i) {
    const int px = ex + (i % 2) * (pane + 1), py = ey + (i / 2) * (pane + 1);
    desktop.Fill({px, py, px + pane, py + pane}, panes[i]);
  }

  // Program icons.
  const Color icons[] = {Rgb(232, 190, 72), Rgb(84, 160, 224), Rgb(214, 88, 88), Rgb(150, 110, 200)};
  for (int i = 0; i < 4; ++i) {
    const int left = startRight + pad * 3 + i * (inner + pad * 2);
    desktop.Fill({left, y0, left + inner, y1}, Rgb(52, 74, 118));
    desktop.Fill({left + 1, y0 + 1, left + inner - 1, y1 - 1}, icons[i]);
    desktop.Fill({left + 1, y0 + 1, left + inner - 1, y0 + 1 + std::max(inner / 5, 1)},
                 Rgb(250, 250, 250));
  }

  // Clock block on the right: a sunken tray with a few bars for the digits.
  const int trayWidth = inner * 4, trayLeft = width - pad - trayWidth;
  desktop.Fill({trayLeft, y0, width - pad, y1}, Rgb(34, 52, 92));
  desktop.Fill({trayLeft + 1, y0 + 1, width - pad, y1}, Rgb(58, 84, 132));
  const int digit = std::max(inner / 2, 1), digitTop = y0 + (inner - digit) / 2;
  for (int i = 0; i < 4; ++i) {
    const int left = trayLeft + inner / 2 + i * (digit * 3 / 4 + 1) + (i >= 2 ? digit / 2 : 0);
    desktop.Fill({left, digitTop, left + std::max(digit / 2, 1), digitTop + digit},
                 Rgb(226, 232, 244));
  }
}

}  // namespace

// A thin bar would be lost in a small preview picture.
int SampleTaskbarHeight(int height) { return std::clamp(height / 24, std::min(6, height / 8), 48); }

Raster DrawSampleDesktop(int width, int height) {
  Raster desktop(width, height);
  const int sceneHeight = std::max(height - SampleTaskbarHeight(height), 0);
  const double aspect = double(width) / std::max(sceneHeight, 1);
  if (sceneHeight <= kSceneRows) {
    DrawScene(desktop, sceneHeight, aspect);
  } else {
    const auto sceneWidth = (std::int64_t(width) * kSceneRows + sceneHeight / 2) / sceneHeight;
    Raster scene(int(std::max<std::int64_t>(sceneWidth, 1)), kSceneRows);
    DrawScene(scene, kSceneRows, aspect);
    SmoothStretch(desktop, {0, 0, width, sceneHeight}, scene);
  }
  DrawTaskbar(desktop, sceneHeight);
  return desktop;
}
