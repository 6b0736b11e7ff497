// The console's edit line: a buffer of the host's size that the plug-in may rewrite, the editing
// the host does with keys the plug-in leaves alone, and the drawing of the line on a terminal of
// any width.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "plugin/host.h"

// The line as the host keeps it: zero-terminated, at most kLineBufferSize - 1 characters.
struct ConsoleLine {
    char16_t text[kLineBufferSize];
    size_t length;
    size_t cursor;  // index into text, 0 to length
    bool overwrite; // the host's own typing mode, switched with Ins
};

constexpr size_t kMaxLineLength = kLineBufferSize - 1;

void LineClear(ConsoleLine* line);

// Replaces the text (cut at the bound) and puts the cursor at its end.
void LineSetText(ConsoleLine* line, const char16_t* text, size_t length);

// Types units at the cursor (replacing the characters there in overwrite mode). All or nothing:
// false, with the line unchanged, when they do not fit.
bool LineType(ConsoleLine* line, const char16_t* units, size_t count);

void LineBackspace(ConsoleLine* line);
void LineDelete(ConsoleLine* line);
void LineLeft(ConsoleLine* line);
void LineRight(ConsoleLine* line);
void LineHome(ConsoleLine* line);
void LineEnd(ConsoleLine* line);
void LineWordLeft(ConsoleLine* line);
void LineWordRight(ConsoleLine* line);

// Takes the buffer back after the plug-in had it: finds the terminator (setting one at the bound
// if there is none) and moves the cursor to cursorPos when that points into the line; a pointer
// outside it leaves the cursor where it was, kept within the line.
void LineAdopt(ConsoleLine* line, const char16_t* cursorPos);

// Terminal columns a character takes: 0 for combining marks, 2 for wide characters, else 1.
size_t CellWidth(char32_t ch);

// Where things land when a line is drawn from column 0 of its first row.
struct LinePlace {
    size_t row;
    size_t column;
};

// The place of character index (0 to length) of the line after prompt, on a terminal width
// columns wide.
LinePlace PlaceOf(const char16_t* prompt, const ConsoleLine& line, size_t width, size_t index);

// The bytes that draw prompt and line from column 0 of the first row, wrapping at width, and then
// put the terminal's cursor on the line's cursor, whose place *cursor receives.
std::string DrawLine(const char16_t* prompt, const ConsoleLine& line, size_t width,
                     LinePlace* cursor);

// The place after the last character: where the terminal's cursor stands once all is drawn.
LinePlace EndOf(const char16_t* prompt, const ConsoleLine& line, size_t width);

// The columns each row of the drawn line takes, the row the end lands on included.
std::vector<size_t> RowWidths(const char16_t* prompt, const ConsoleLine& line, size_t width);

// Where place, in a line drawn in rows of the given widths, lands once a terminal that rewraps
// rows is width columns wide: a row wider than that takes as many rows as it then needs.
LinePlace Rewrapped(const std::vector<size_t>& rows, LinePlace place, size_t width);

// Cursor movement between two places of the drawn line, as terminal sequences.
std::string MoveBetween(LinePlace from, LinePlace to);
