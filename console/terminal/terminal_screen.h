// The terminal: the edit line drawn in place, redrawn from its first row when it changes, and
// rewrapped as the terminal rewraps it when the terminal is resized.
//
// Every sequence the console writes to the terminal, what it does, and where. Nothing else drives
// it: text from data passes only its line ends and tabs (visible_text.h).
//   ESC [ ? 2004 h   bracketed paste on, when raw mode begins or resumes     raw_mode.cpp
//   ESC [ > 4 ; 1 m  xterm's modifyOtherKeys level 1, with the above where
//                    TERM starts with xterm                                  raw_mode.cpp
//   ESC [ > 4 m      modifyOtherKeys back off, where it was turned on        raw_mode.cpp
//   ESC [ ? 2004 l   bracketed paste off, then ESC [ m, plain colours:
//                    raw mode ends (exit, a signal, a stop)                  raw_mode.cpp
//   ESC [ n A, B, C  the cursor n rows up, n rows down, n columns right      layout.cpp
//   CR, CR LF        the cursor to the row's start; on to the next row       layout.cpp, here,
//                                                                            help_box.cpp
//   ESC [ J          clear from the cursor to the screen's end: before the
//                    line is drawn anew, and where the plug-in clears it     here
//   ESC [ H ESC [ 2 J  the cursor home and the screen cleared (Ctrl-L, the
//                    help box drawn anew after a resize)                     here
//   CR ESC [ K       the pager's note wiped from its row                     here
//   BEL              the line is full                                        here
//                    the plug-in played a sound (to standard error)          standins/services.cpp
//   ESC [ n A CR     back to the help box's first row, to draw it over       help_box.cpp
//   ^C CR LF         Ctrl-C shown after the line (text, then a line end)     here
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
