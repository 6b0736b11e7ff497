// The transcript: without a terminal, each key is recorded as a line with the edit line before and
// after it, and nothing but the line feed of any control character gets through.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "console/terminal/screen.h"
#include "console/terminal/visible_text.h"

// The line with a bar at the cursor, as a transcript shows it.
std::u16string TranscriptLine(const ConsoleLine& line);

// Bytes passed to a sink as a transcript shows them (VisibleText); one for each stream of the
// transcript.
class TranscriptFilter {
  public:
    explicit TranscriptFilter(ByteSink to);
    void Write(const char* bytes, size_t length);
    // A carriage return still waiting is written in its caret form.
    void End();

  private:
    ByteSink to_;
    VisibleStream stream_{ShownOn::kTranscript};
};

// The console's text and the host's standard output go to out, which they share, and the host's
// standard error to err. The program sends both through a TranscriptFilter.
std::unique_ptr<Screen> MakeTranscriptScreen(ByteSink out, ByteSink err);
