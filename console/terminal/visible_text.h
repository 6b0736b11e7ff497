// Text that comes from data (variable values, file names, what the plug-in writes) as the console
// shows it, so that none of it drives the terminal. A control character shows in its caret form
// (^G, ^[, ^?) and a C1 control as U+FFFD. Only line ends and tabs keep a meaning, and which one
// depends on where the text goes: the terminal gets CR LF and LF as written and a tab as it is (it
// only moves the cursor right); a transcript, read anywhere, gets LF for either line end and
// blanks for a tab. A carriage return alone is shown, never obeyed.
#pragma once

#include <cstddef>
#include <string>

// A C0 control, DEL or a C1 control.
constexpr bool IsControl(char32_t ch) {
    return ch < 0x20 || (ch >= 0x7F && ch <= 0x9F);
}

// How a control character (IsControl) shows: ^ and the character 0x40 away for C0 and DEL,
// U+FFFD for a C1 control.
std::u16string VisibleControl(char32_t ch);

// text with every control character in its visible form, line feeds and tabs too: for text that
// must stay on one line, such as a file's name in a message.
std::u16string VisibleLine(const std::u16string& text);

// Tab stops every 8 columns, as terminals set them: where the console counts the columns a tab
// takes (a transcript, the help box, the pager), it stops where the terminal would.
constexpr size_t kTabWidth = 8;
// The column a tab at column goes on to.
constexpr size_t NextTabStop(size_t column) {
    return column / kTabWidth * kTabWidth + kTabWidth;
}

enum class ShownOn { kTerminal, kTranscript };

// One stream of shown text between writes.
struct VisibleStream {
    ShownOn on = ShownOn::kTranscript;
    size_t column = 0;          // where a tab goes on from, in a transcript
    bool pendingReturn = false; // a carriage return that a line feed may still follow
};

// Bytes of UTF-8 text as the stream shows them. A carriage return at the end waits in *stream for
// what follows.
std::string VisibleText(VisibleStream* stream, const char* bytes, size_t length);
// A carriage return still waiting, in its caret form; nothing when none waits.
std::string VisibleEnd(VisibleStream* stream);
