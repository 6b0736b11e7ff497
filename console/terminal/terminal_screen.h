// The terminal: the edit line drawn in place, redrawn from its first row when it changes, and
// rewrapped as the terminal rewraps it when the terminal is resized.
#pragma once

#include <memory>

#include "console/terminal/screen.h"

// The console writes to terminal, a terminal of the given size; the host's standard output and
// error go to out and err as they are.
std::unique_ptr<Screen> MakeTerminalScreen(ByteSink terminal, ByteSink out, ByteSink err,
                                           TerminalSize size);
