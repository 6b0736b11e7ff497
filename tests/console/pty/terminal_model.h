// A small model of a terminal for the pseudo-terminal tests: it keeps the rows that the console's
// output leaves on a screen of a given size, the cursor, and what scrolled off the top.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "standins/utf8.h"

struct TerminalModel {
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

namespace terminal_model {

// Wide characters of the ranges the tests type take two cells; everything else one.
inline size_t Width(char32_t ch) {
    return (ch >= 0x1100 && ch <= 0x115F) || (ch >= 0x2E80 && ch <= 0xA4CF) ||
                   (ch >= 0xAC00 && ch <= 0xD7A3) || (ch >= 0xFF00 && ch <= 0xFF60)
               ? 2
               : 1;
}

inline std::string Utf8(const std::u32string& text) {
    std::string out;
    for (char32_t ch : text)
        if (ch != 0) AppendUtf8(&out, ch); // 0: the right half of a wide character
    size_t end = out.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : out.substr(0, end + 1);
}

inline void LineFeed(TerminalModel* s) {
    if (s->row + 1 < s->rows) {
        ++s->row;
        return;
    }
    s->scrolledOff.push_back(Utf8(s->cells.front()));
    s->cells.erase(s->cells.begin());
    s->cells.emplace_back(s->columns, U' ');
    s->wrapped.erase(s->wrapped.begin());
    s->wrapped.push_back(false);
}

inline void Put(TerminalModel* s, char32_t ch) {
    size_t w = Width(ch);
    if (s->pendingWrap || s->column + w > s->columns) {
        s->wrapped[s->row] = true;
        s->column = 0;
        LineFeed(s);
        s->pendingWrap = false;
    }
    s->cells[s->row][s->column] = ch;
    if (w == 2 && s->column + 1 < s->columns) s->cells[s->row][s->column + 1] = 0;
    s->column += w;
    if (s->column >= s->columns) {
        s->column = s->columns - 1;
        s->pendingWrap = true;
    }
}

// Numbers of a control sequence's parameters; missing ones are 0.
inline std::vector<int> Parameters(const std::string& body) {
    std::vector<int> out(1, 0);
    for (char c : body) {
        if (c >= '0' && c <= '9')
            out.back() = out.back() * 10 + (c - '0');
        else if (c == ';')
            out.push_back(0);
    }
    return out;
}

// Clears cells of a row up to its end, which also ends the row.
inline void ClearCells(TerminalModel* s, size_t row, size_t from) {
    for (size_t c = from; c < s->columns; ++c)
        s->cells[row][c] = U' ';
    s->wrapped[row] = false;
}

inline void ControlSequence(TerminalModel* s, const std::string& body, char final) {
    if (!body.empty() && (body[0] == '?' || body[0] == '>')) return; // modes
    std::vector<int> p = Parameters(body);
    size_t n = p[0] > 0 ? static_cast<size_t>(p[0]) : 1;
    s->pendingWrap = false;
    switch (final) {
    case 'A':
        s->row = s->row >= n ? s->row - n : 0;
        break;
    case 'B':
        s->row = s->row + n < s->rows ? s->row + n : s->rows - 1;
        break;
    case 'C':
        s->column = s->column + n < s->columns ? s->column + n : s->columns - 1;
        break;
    case 'D':
        s->column = s->column >= n ? s->column - n : 0;
        break;
    case 'H': {
        size_t r = p[0] > 0 ? static_cast<size_t>(p[0]) - 1 : 0;
        size_t c = p.size() > 1 && p[1] > 0 ? static_cast<size_t>(p[1]) - 1 : 0;
        s->row = r < s->rows ? r : s->rows - 1;
        s->column = c < s->columns ? c : s->columns - 1;
        break;
    }
    case 'J':
        if (p[0] == 2) {
            for (size_t r = 0; r < s->rows; ++r)
                ClearCells(s, r, 0);
        } else {
            ClearCells(s, s->row, s->column);
            for (size_t r = s->row + 1; r < s->rows; ++r)
                ClearCells(s, r, 0);
        }
        break;
    case 'K':
        ClearCells(s, s->row, s->column);
        break;
    default:
        break; // colours and the rest change nothing the tests look at
    }
}

} // namespace terminal_model

inline TerminalModel NewTerminalModel(size_t rows, size_t columns) {
    TerminalModel s;
    s.rows = rows;
    s.columns = columns;
    s.cells.assign(rows, std::u32string(columns, U' '));
    s.wrapped.assign(rows, false);
    return s;
}

// The terminal got a new size; its rows are rewrapped as a terminal that rewraps them does: the
// rows a line filled and went on from are joined, and every line is broken again at the new width.
inline void Resize(TerminalModel* s, size_t rows, size_t columns) {
    // The lines, each the rows it filled joined, and the cursor's line and place in it.
    std::vector<std::u32string> lines;
    size_t cursorLine = 0;
    size_t cursorAt = 0;
    bool joined = false;
    for (size_t r = 0; r < s->rows; ++r) {
        if (!joined) lines.emplace_back();
        if (r == s->row) {
            cursorLine = lines.size() - 1;
            cursorAt = lines.back().size() + s->column + (s->pendingWrap ? 1 : 0);
        }
        std::u32string row = s->cells[r];
        if (!s->wrapped[r]) row.erase(row.find_last_not_of(U' ') + 1);
        lines.back() += row;
        joined = s->wrapped[r];
    }
    while (lines.size() > cursorLine + 1 && lines.back().empty())
        lines.pop_back();
    if (lines[cursorLine].size() < cursorAt) lines[cursorLine].resize(cursorAt, U' ');

    TerminalModel out = NewTerminalModel(rows, columns);
    out.scrolledOff = s->scrolledOff;
    out.bells = s->bells;
    std::vector<std::u32string> cells;
    std::vector<bool> wrapped;
    size_t cursorRow = 0;
    size_t cursorColumn = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        size_t count = lines[i].empty() ? 1 : (lines[i].size() + columns - 1) / columns;
        if (i == cursorLine) {
            size_t within = cursorAt / columns < count ? cursorAt / columns : count - 1;
            cursorRow = cells.size() + within;
            cursorColumn = cursorAt - within * columns;
        }
        for (size_t k = 0; k < count; ++k) {
            std::u32string row = lines[i].substr(k * columns, columns);
            row.resize(columns, U' ');
            cells.push_back(row);
            wrapped.push_back(k + 1 < count);
        }
    }
    // Rows above the cursor go off the top when the rest no longer fits.
    size_t drop = cursorRow + 1 > rows ? cursorRow + 1 - rows : 0;
    for (size_t r = 0; r < drop; ++r)
        out.scrolledOff.push_back(terminal_model::Utf8(cells[r]));
    for (size_t r = 0; r < rows && drop + r < cells.size(); ++r) {
        out.cells[r] = cells[drop + r];
        out.wrapped[r] = wrapped[drop + r];
    }
    out.row = cursorRow - drop;
    out.pendingWrap = cursorColumn >= columns;
    out.column = cursorColumn < columns ? cursorColumn : columns - 1;
    *s = out;
}

// Feeds bytes the program wrote.
inline void Feed(TerminalModel* s, const std::string& bytes) {
    std::string data = s->pending + bytes;
    s->pending.clear();
    size_t i = 0;
    while (i < data.size()) {
        auto b = static_cast<unsigned char>(data[i]);
        if (b == 0x1B) {
            if (i + 1 >= data.size()) break;
            if (data[i + 1] != '[') {
                i += 2; // ESC with one character: nothing the console sends
                continue;
            }
            size_t j = i + 2;
            while (j < data.size() && (static_cast<unsigned char>(data[j]) < 0x40 ||
                                       static_cast<unsigned char>(data[j]) > 0x7E))
                ++j;
            if (j >= data.size()) break;
            terminal_model::ControlSequence(s, data.substr(i + 2, j - i - 2), data[j]);
            i = j + 1;
        } else if (b == '\r') {
            s->column = 0;
            s->pendingWrap = false;
            ++i;
        } else if (b == '\n') {
            terminal_model::LineFeed(s);
            s->pendingWrap = false;
            ++i;
        } else if (b == '\b') {
            if (s->column > 0) --s->column;
            s->pendingWrap = false;
            ++i;
        } else if (b == '\a') {
            ++s->bells;
            ++i;
        } else if (b == '\t') {
            while (s->column + 1 < s->columns && (++s->column) % 8 != 0) {
            }
            ++i;
        } else if (b < 0x20) {
            ++i;
        } else {
            size_t need = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
            if (i + need > data.size()) break;
            char32_t ch = need == 1 ? b : b & (0x7F >> need);
            for (size_t k = 1; k < need; ++k)
                ch = (ch << 6) | (static_cast<unsigned char>(data[i + k]) & 0x3F);
            terminal_model::Put(s, ch);
            i += need;
        }
    }
    s->pending = data.substr(i);
}

// A row without its trailing blanks, as UTF-8.
inline std::string RowText(const TerminalModel& s, size_t row) {
    return row < s.rows ? terminal_model::Utf8(s.cells[row]) : "";
}

// Everything that scrolled off and every row of the screen, one line each.
inline std::string AllText(const TerminalModel& s) {
    std::string out;
    for (const auto& line : s.scrolledOff)
        out += line + "\n";
    for (size_t r = 0; r < s.rows; ++r)
        out += RowText(s, r) + "\n";
    return out;
}
