#pragma once
// The preview painter: paints the MINIBMP picture over the host's preview
// window while that window is visible. Returns the process's exit code.
#include <string>

// Exit code when the handle names no window, before the window ever showed.
inline constexpr int kNoHostWindowExitCode = 2;

int RunPreview(const std::string& secondArgument);
