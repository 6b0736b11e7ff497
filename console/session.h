// The console's session: the host's side of every key on the edit line (the plug-in's keystroke
// handler first, then the host's own editing), the lines that run on Enter, and the screen.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "console/editor.h"
#include "console/keys.h"
#include "console/plugin.h"
#include "console/terminal_input.h"

// The variable that holds the result of the last built-in command (echo %_? shows it).
constexpr const char16_t* kResultVariable = u"_?";

constexpr const char16_t* kPrompt = u"> ";

struct ConsoleSession {
    ConsoleLine line;
    const PluginDriver* plugin;
    bool extendedHost; // the host reports some keys by name
    bool transcript;   // no terminal: each key is shown as a line before and after
    void (*write)(const char* bytes, size_t length);

    size_t width;       // terminal columns
    size_t height;      // terminal rows (the help box fits into them)
    bool promptShown;   // false once the plug-in moved the line's start (after a trace line)
    bool lineDrawn;     // the line is on the screen at its start
    LinePlace terminal; // the terminal's cursor, relative to the line's start
    std::vector<size_t> drawnRows; // the columns of each row of the line as last drawn
    int32_t originRow;             // the line's first row, as GetAbsCursorPosition counts rows
    bool redrawPending;
    bool bellPending;
    bool pasting;
    bool pasteAfterReturn; // a pasted carriage return just ran the line: a line feed is its part
    bool exitRequested;
    int exitStatus; // 130 after Ctrl-C, as a shell reports a program ended by it

    std::vector<std::u16string> history;
    size_t historyIndex;  // history.size() while editing a new line
    std::u16string draft; // the new line while the history is shown
};

extern ConsoleSession Console;

// Starts a session over plugin, writing the screen (or the transcript) through write.
void SessionBegin(const PluginDriver* plugin, bool extendedHost, bool transcript, size_t width,
                  void (*write)(const char* bytes, size_t length));

// Handles one decoded input item.
void SessionInput(const DecodedInput& item);

// Draws what is pending (the line, the bell) once a batch of input has been handled.
void SessionFlush();

// The terminal now has width columns. A terminal rewraps the rows of the shown line to the new
// width, so the line is cleared from its first row as it was rewrapped and drawn again.
void SessionResize(size_t width);

// Takes the terminal's size as it is now (after a resize).
void SessionFitTerminal();

// Clears the shown line from cursor, a position in the line buffer (the host's ClearEditLine).
void SessionClearFrom(const char16_t* cursor);

// Writes console text, converting UTF-16 to the terminal's UTF-8.
void SessionPrint(const std::u16string& text);

// Writes the console's own message, broken at blanks to the terminal's width.
void SessionSay(const std::u16string& text);

// Ends the session at the user's wish: exit (status 0) or Ctrl-C (130).
void SessionLeave(int status);

// Runs one command line as the host would run it: the console's built-in commands.
void RunCommandLine(const std::u16string& line);
