// The console's terminal: raw mode, restored on every way out (normal exit, Ctrl-C, a signal to
// end or suspend, a crash), the terminal's width, and plain writes.
#pragma once

#include <cstddef>

// Puts the terminal on fd into raw mode (keys arrive one by one, nothing echoed, Ctrl-C a key
// like any other, output line ends kept) with bracketed paste on; false when fd is no terminal.
bool TerminalEnterRaw(int inputFd, int outputFd);

// Back to the settings found at start. Safe to call more than once and from a signal handler.
void TerminalRestore();

// Columns of the terminal on fd; 80 when it does not say.
size_t TerminalWidth(int fd);

struct TerminalSize {
    size_t rows;
    size_t columns;
};

// The size of the terminal raw mode was entered for; 24 by 80 when it does not say.
TerminalSize TerminalSizeNow();

// True once after the terminal was resized or came back from a suspension.
bool TerminalChanged();

// Writes all of bytes to fd, retrying after interruptions.
void WriteAll(int fd, const char* bytes, size_t length);
