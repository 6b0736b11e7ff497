// The console's edit line: a zero-terminated buffer the size of the host's, which the plug-in may
// rewrite in place, and the editing done with the keys the plug-in leaves alone.
#pragma once

#include <cstddef>

// The line's buffer in characters, terminator included (the host's edit-line size; the session
// checks that the two agree).
constexpr size_t kConsoleLineSize = 0x10000;
constexpr size_t kMaxLineLength = kConsoleLineSize - 1;

struct ConsoleLine {
    char16_t text[kConsoleLineSize];
    size_t length;
    size_t cursor;  // index into text, 0 to length
    bool overwrite; // typing replaces the character at the cursor (switched with Ins)
};

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

// Takes the buffer back after someone else wrote into it: finds the terminator (setting one at
// the bound if there is none) and moves the cursor to cursorPos when that points into the line; a
// pointer outside it leaves the cursor where it was, kept within the line.
void LineAdopt(ConsoleLine* line, const char16_t* cursorPos);

// The index of place in the line: 0 to length, or false for a pointer outside that (compared as
// numbers: a pointer outside the buffer must not take part in arithmetic).
bool LineIndexOf(const ConsoleLine& line, const char16_t* place, size_t* index);
