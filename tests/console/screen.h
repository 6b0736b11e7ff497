// A small terminal for the pseudo-terminal test: it keeps the rows that the console's output
// leaves on a screen of a given size, the cursor, and what scrolled off the top.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct Screen {
    size_t rows;
    size_t columns;
    std::vector<std::u32string> cells; // one string of `columns` characters per row
    std::vector<bool> wrapped;         // the row went on into the next when it filled up
    std::vector<std::string> scrolledOff;
    size_t row = 0;
    size_t column = 0;
    bool pendingWrap = false;
    int bells = 0;
    std::string pending; // an escape sequence or UTF-8 character not yet complete
};

Screen NewScreen(size_t rows, size_t columns);

// Feeds bytes the program wrote.
void Feed(Screen* screen, const std::string& bytes);

// The terminal got a new size; its rows are rewrapped as a terminal that rewraps them does: the
// rows a line filled and went on from are joined, and every line is broken again at the new width.
void Resize(Screen* screen, size_t rows, size_t columns);

// A row without its trailing blanks, as UTF-8.
std::string RowText(const Screen& screen, size_t row);

// Everything that scrolled off and every row of the screen, one line each.
std::string AllText(const Screen& screen);
