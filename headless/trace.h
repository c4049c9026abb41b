#pragma once
// One line of JSON per tick with the board and move state, for people and for
// tools that compare whole runs.
#include <string>

// The state of MForm_unit after tick `tick`, without spaces or a newline.
std::string TraceRecord(int tick);
