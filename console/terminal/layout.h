// The edit line and the console's texts laid out on a terminal: the columns characters take, the
// place of each character of a line wrapped at the terminal's width, the bytes that draw it, and
// texts broken at blanks. The console lays out every row itself (it never relies on the
// terminal's own wrapping), so the cursor lands right on any width.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "console/terminal/line.h"

// Terminal columns a character takes: 0 for combining marks, 2 for wide characters, else 1.
size_t CellWidth(char32_t ch);

// Terminal columns of text.
size_t TextColumns(const std::u16string& text);

// text with each of its lines broken at blanks into rows of at most width columns; the rows a
// line is broken into after its first start with indent blanks. The blanks at a break are
// dropped; a word wider than a row stays whole on a row of its own.
std::u16string WrapText(const std::u16string& text, size_t width, size_t indent = 0);

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

// Cursor movement between two places of the drawn line, as terminal sequences (listed with every
// sequence the console writes in terminal_screen.h).
std::string MoveBetween(LinePlace from, LinePlace to);
