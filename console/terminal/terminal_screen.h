// The terminal: the edit line drawn in place, redrawn from its first row when it changes, and
// rewrapped as the terminal rewraps it when the terminal is resized.
#pragma once

#include <functional>
#include <memory>

#include "console/terminal/screen.h"

// How command output goes on once it filled the terminal up to its last row.
enum class More {
    kPage, // a page more
    kLine, // a row more
    kStop, // nothing more of this command's output
    kRest, // the rest without stopping: the input waiting is not the pager's
};

// The console writes to terminal, a terminal of the given size; the host's standard output and
// error go to out and err as they are, or to the terminal where they are null. Output paged with
// PageOutput stops at each full page with a note on the last row and asks more how to go on.
std::unique_ptr<Screen> MakeTerminalScreen(ByteSink terminal, ByteSink out, ByteSink err,
                                           TerminalSize size, std::function<More()> more = nullptr);
