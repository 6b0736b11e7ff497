// Where the console's text goes: the terminal, or standard output as a transcript, which keeps no
// control character but the line feed.
#pragma once

#include <cstddef>
#include <string>

// The state of one transcript stream between writes.
struct TranscriptStream {
    size_t column = 0;          // where a tab goes on from
    bool pendingReturn = false; // a carriage return that a line feed may still follow
};

// Bytes of UTF-8 text as a transcript shows them: CR LF becomes LF, a tab the blanks up to the
// next multiple of 8 columns, any other control character its caret form (^M, ^[, ^?) and a C1
// control U+FFFD. A carriage return at the end waits in *stream for what follows.
std::string TranscriptText(TranscriptStream* stream, const char* bytes, size_t length);

// The console's screen (or transcript) goes to fd; host output to standard output and error.
void OutputBegin(int fd, bool transcript);

// Writes the console's own bytes.
void OutputWrite(const char* bytes, size_t length);

// Writes what the plug-in wrote to the host's standard output (stream 1) or error (stream 2).
void OutputHostText(int stream, const char16_t* text, size_t length);

// Writes what is still waiting in the transcript streams.
void OutputEnd();
