#pragma once
// The full-screen saver window MForm (Win32 only). Before it is made every
// monitor is photographed; creating it builds the board and starts a board
// process on each other monitor; the call returns when the window has closed.
#include <cstdint>
#include <optional>

// `seed`, where given, fixes every monitor's shuffle in place of the clock.
void RunSaverWindow(std::optional<std::uint64_t> seed);
