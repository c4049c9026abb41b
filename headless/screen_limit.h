#pragma once
// The widest and tallest screen the headless tools take, on each side: a
// picture of 16384 x 16384 is already 768 MB.
inline constexpr int kMaxScreenSide = 16384;
