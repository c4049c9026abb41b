#pragma once
// A board process: the puzzle of one monitor other than the primary, in a
// window over that monitor, started by the saver with the board's switch.
#include "win32/command_line.h"

// Returns the exit code once the board's window has closed or the saver has
// ended; at once where the handles are not what a saver hands over.
int RunBoard(const BoardArgument& argument);
