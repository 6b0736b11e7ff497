// The transcript: without a terminal, each key is recorded as a line with the edit line before and
// after it, and nothing but the line feed of any control character gets through.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "console/terminal/screen.h"

// The state of one transcript stream between writes.
struct TranscriptStream {
    size_t column = 0;          // where a tab goes on from
    bool pendingReturn = false; // a carriage return that a line feed may still follow
};

// Bytes of UTF-8 text as a transcript shows them: CR LF becomes LF, a tab the blanks up to the
// next multiple of 8 columns, any other control character its caret form (^M, ^[, ^?) and a C1
// control U+FFFD. A carriage return at the end waits in *stream for what follows.
std::string TranscriptText(TranscriptStream* stream, const char* bytes, size_t length);

// The line with a bar at the cursor, as a transcript shows it.
std::u16string TranscriptLine(const ConsoleLine& line);

// Bytes passed through the filter to a sink; one for each stream of the transcript.
class TranscriptFilter {
  public:
    explicit TranscriptFilter(ByteSink to);
    void Write(const char* bytes, size_t length);
    // A carriage return still waiting is written in its caret form.
    void End();

  private:
    ByteSink to_;
    TranscriptStream stream_;
};

// The console's text and the host's standard output go to out, which they share, and the host's
// standard error to err. The program sends both through a TranscriptFilter.
std::unique_ptr<Screen> MakeTranscriptScreen(ByteSink out, ByteSink err);
