#pragma once
// The full-screen saver window MForm (Win32 only). Creating it captures the
// screen and builds the board; the call returns when the window has closed.
void RunSaverWindow();
