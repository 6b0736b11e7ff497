// The console's terminal: raw mode, restored on every way out (normal exit, Ctrl-C, a signal to
// end or suspend, a crash), the terminal's size, and plain writes. What lives here at file level
// is what the signal handlers must reach.
#pragma once

#include <cstddef>

// Puts the terminal on fd into raw mode (keys arrive one by one, nothing echoed, Ctrl-C a key
// like any other, output line ends kept) with bracketed paste on; false when fd is no terminal.
bool TerminalEnterRaw(int inputFd, int outputFd);

// Back to the settings found at start. Safe to call more than once and from a signal handler.
void TerminalRestore();

struct TerminalSize {
    size_t rows;
    size_t columns;
};

// The size of the terminal on fd; 24 rows by 80 columns where it does not say.
TerminalSize TerminalSizeOf(int fd);

// True once after the terminal was resized or came back from a suspension.
bool TerminalChanged();

// Writes all of bytes to fd, retrying after interruptions.
void WriteAll(int fd, const char* bytes, size_t length);
