// Where the console shows its edit line and its texts: a terminal, drawn in place, or a
// transcript, which records each key with the line before and after it. The session draws through
// this interface alone, so it never asks which of the two it has.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "console/terminal/layout.h"
#include "console/terminal/line.h"
#include "console/terminal/raw_mode.h"
#include "console/terminal/visible_text.h"
#include "standins/utf8.h"

// Where a screen's bytes go: a file descriptor, or a test's string.
using ByteSink = std::function<void(const char* bytes, size_t length)>;

// The edit line as it is shown: after the prompt, which is empty once the line's start moved.
struct ShownLine {
    const char16_t* prompt;
    const ConsoleLine& line;
};

// The edit line drawn in place, as a terminal shows it. A transcript shows no line (it records
// each key instead, KeyLog), so each of these does nothing unless a screen draws.
class LineDisplay {
  public:
    virtual ~LineDisplay() = default;

    // The terminal was resized: it rewrapped the rows of the line shown.
    virtual void Resize(TerminalSize) {}
    // The line drawn anew from its start, the cursor left on the line's cursor.
    virtual void DrawLine(const ShownLine&) {}
    // The cursor to the end of the line, where the plug-in's trace line may follow.
    virtual void GoToLineEnd(const ShownLine&) {}
    // The line is done: the cursor to the start of the row below it.
    virtual void LeaveLine(const ShownLine&) {}
    // A new line starts where the cursor is now; nothing of it is shown yet.
    virtual void StartLine() {}
    // The shown line cleared from its character at index on (the host's ClearEditLine).
    virtual void ClearLineFrom(const ShownLine&, size_t /*index*/) {}
    // The whole screen cleared, the cursor at its top (Ctrl-L, a box drawn anew).
    virtual void ClearScreen() {}
};

// What a transcript records of each key. A terminal shows a key by what it does to the line, and
// what the plug-in showed beside its output as it happened, so each of these does nothing unless
// a screen records.
class KeyLog {
  public:
    virtual ~KeyLog() = default;

    // One key: the line before it, then the key's name and the line after it (null when the key
    // ran the line, whose output follows).
    virtual void KeyBegins(const ConsoleLine&) {}
    virtual void KeyHandled(const char16_t* /*keyName*/, const ConsoleLine* /*after*/) {}
    // What the plug-in showed beside that output (trace lines, sounds, message boxes) as the
    // stand-ins kept it, after the key that caused it.
    virtual void SideOutput(const std::u16string&) {}
};

// A screen shows the console's texts, and draws the line or records the keys.
class Screen : public LineDisplay, public KeyLog {
  public:
    virtual TerminalSize Size() const = 0;

    // The output that follows, up to PageOutput(false), stops whenever it fills the terminal
    // until the user goes on (a command's output; a transcript keeps it all).
    virtual void PageOutput(bool) {}
    // The console's messages and the commands' output. They show data (file names, variables,
    // the plug-in's texts), so their control characters are shown, not obeyed (VisibleText).
    virtual void Print(const std::u16string& text) = 0;
    // Text for the standard output (stream 1) or error (stream 2): what the plug-in wrote to the
    // host's, and the console's complaints (Complain); shown as Print shows its text.
    virtual void HostOutput(int stream, const char16_t* text, size_t length) = 0;
    // The console's own drawing, its cursor moves and all, written as it is: the help box. What
    // data it shows was made visible when it was laid out.
    virtual void Draw(const std::u16string& drawing) = 0;
    // The line is full: what was typed is not in it.
    virtual void Bell() = 0;
    // Ctrl-C: the console leaves from this line.
    virtual void Interrupted(const ShownLine& shown) = 0;
};

// The console's own message, broken at blanks to the screen's width.
inline void Say(Screen& screen, const std::u16string& text) {
    screen.Print(WrapText(text, screen.Size().columns));
}

// The console's word on what went wrong, on the error stream: a line that names the console,
// broken at blanks to the screen's width. Whatever a file's name in it holds, it stays one line:
// its control characters, line feeds too, show in their visible form.
inline void Complain(Screen& screen, const std::string& utf8) {
    std::u16string text = VisibleLine(FromUtf8(utf8));
    text = WrapText(u"torvane-console: " + text, screen.Size().columns) + u"\n";
    screen.HostOutput(2, text.data(), text.size());
}
