#pragma once
// The full-screen saver window MForm (Win32 only). Creating it photographs
// every monitor, starts a board process on each other one and builds the
// board; the call returns when the window has closed.
#include <cstdint>
#include <optional>

// `seed`, where given, fixes every monitor's shuffle in place of the clock.
void RunSaverWindow(std::optional<std::uint64_t> seed);
