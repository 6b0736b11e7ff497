// The edit line laid out and drawn on terminals of any width, moves between its rows, the rows
// rewrapped after a resize, and the console's texts broken at blanks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/terminal/layout.h"
#include "standins/utf8.h"
#include "tests/console/terminal/marked_line.h"

namespace {

TEST(ConsoleTerminalLayout, CellWidths) {
    struct Case {
        char32_t ch;
        size_t width;
    };
    const Case cases[] = {
        {U'a', 1},      {U'\u00E9', 1}, {U'\u0301', 0}, {U'\u200B', 0},     {U'\u4E2D', 2},
        {U'\uAC00', 2}, {U'\uFF21', 2}, {U'\u20AC', 1}, {U'\U0001F600', 2}, {U'\U00020000', 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CellWidth(c.ch), c.width) << "U+" << std::hex << static_cast<unsigned>(c.ch);
}

struct PlaceCase {
    std::u16string line; // '|' marks the cursor
    size_t width;
    size_t cursorRow, cursorColumn;
    size_t endRow, endColumn;
};

TEST(ConsoleTerminalLayout, CursorPlaceOnNarrowTerminals) {
    const PlaceCase cases[] = {
        {u"abc|", 80, 0, 5, 0, 5},
        {u"a|bc", 80, 0, 3, 0, 5},
        {u"ab|", 4, 1, 0, 1, 0}, // "> ab" fills the row: the cursor starts the next
        {u"abcdef|", 4, 2, 0, 2, 0},
        {u"abc|def", 4, 1, 1, 2, 0},
        {u"|abcdef", 4, 0, 2, 2, 0},
        {u"abcdefg|", 4, 2, 1, 2, 1},
        {u"a|\u4E2Db", 4, 1, 0, 1, 3}, // the wide character does not fit in the last column
        {u"a\u4E2D|b", 4, 1, 2, 1, 3},
        {u"\u4E2D\u4E2D|", 4, 1, 2, 1, 2},
        {u"a\tb|", 80, 0, 6, 0, 6},     // a tab shows as ^I
        {u"e\u0301x|", 80, 0, 4, 0, 4}, // a combining accent takes no column
        {u"ab|", 1, 4, 0, 4, 0},
        {u"\u4E2D|", 1, 3, 0, 3, 0}, // too wide for the terminal: shown as ?
        {u"\U0001F600|x", 80, 0, 4, 0, 5},
        // "> " and 25 characters on 12 columns: "> 0123456789", "abcdefghijkl", "mno".
        {u"|0123456789abcdefghijklmno", 12, 0, 2, 2, 3},
        {u"01|23456789abcdefghijklmno", 12, 0, 4, 2, 3},
        {u"0123456789abcdefghijklmno|", 12, 2, 3, 2, 3},
        {u"0123456789abcdefghijk|lmno", 12, 1, 11, 2, 3},
        {u"0123456789abcdefghij|klmno", 12, 1, 10, 2, 3},
        {u"0123456789abcdefghijkl|mno", 12, 2, 0, 2, 3},
        {u"0123456789abcdefghijkl|", 12, 2, 0, 2, 0}, // it fills two rows: the next row's start
    };
    for (const auto& c : cases) {
        auto line = MakeLine(c.line);
        std::string what = ToUtf8(c.line) + " width " + std::to_string(c.width);
        LinePlace cursor = PlaceOf(u"> ", *line, c.width, line->cursor);
        EXPECT_EQ(cursor.row, c.cursorRow) << what;
        EXPECT_EQ(cursor.column, c.cursorColumn) << what;
        LinePlace end = EndOf(u"> ", *line, c.width);
        EXPECT_EQ(end.row, c.endRow) << what;
        EXPECT_EQ(end.column, c.endColumn) << what;
        LinePlace drawn{99, 99};
        DrawLine(u"> ", *line, c.width, &drawn);
        EXPECT_EQ(drawn.row, c.cursorRow) << what;
        EXPECT_EQ(drawn.column, c.cursorColumn) << what;
    }
}

TEST(ConsoleTerminalLayout, DrawnBytes) {
    struct Case {
        std::u16string prompt;
        std::u16string line;
        size_t width;
        std::string bytes;
    };
    const Case cases[] = {
        {u"> ", u"abc|", 80, "> abc"},
        {u"> ", u"a|bc", 80, "> abc\r\x1b[3C"},
        {u"> ", u"|abc", 80, "> abc\r\x1b[2C"},
        {u"", u"|abc", 80, "abc\r"},
        {u"> ", u"abcdef|", 4, "> ab\r\ncdef\r\n"},
        {u"> ", u"a|bcdef", 4, "> ab\r\ncdef\r\n\x1b[2A\r\x1b[3C"},
        {u"> ", u"a\u4E2D|", 4, "> a\r\n\xe4\xb8\xad"},
        {u"> ", u"a\tb|", 80, "> a^Ib"},
        {u"> ", u"\x7f\x1b|", 80, "> ^?^["},
        {u"> ", u"\xd800x|", 80, "> \xef\xbf\xbdx"},
        {u"> ", u"\u0085|", 80, "> \xef\xbf\xbd"},
    };
    for (const auto& c : cases) {
        auto line = MakeLine(c.line);
        LinePlace cursor;
        EXPECT_EQ(DrawLine(c.prompt.c_str(), *line, c.width, &cursor), c.bytes)
            << ToUtf8(c.line) << " width " << c.width;
    }
}

TEST(ConsoleTerminalLayout, Moves) {
    struct Case {
        LinePlace from, to;
        std::string bytes;
    };
    const Case cases[] = {
        {{0, 0}, {0, 0}, ""}, {{2, 3}, {0, 0}, "\x1b[2A\r"}, {{0, 5}, {1, 2}, "\x1b[1B\r\x1b[2C"},
        {{1, 4}, {1, 4}, ""}, {{3, 0}, {1, 0}, "\x1b[2A"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("from " + std::to_string(c.from.row) + "," + std::to_string(c.from.column) +
                     " to " + std::to_string(c.to.row) + "," + std::to_string(c.to.column));
        EXPECT_EQ(MoveBetween(c.from, c.to), c.bytes);
    }
}

TEST(ConsoleTerminalLayout, WrappedAtBlanks) {
    struct Case {
        std::u16string text;
        size_t width;
        size_t indent;
        std::u16string wrapped;
    };
    const Case cases[] = {
        {u"one two three", 80, 0, u"one two three"},
        {u"one two three", 7, 0, u"one two\nthree"},
        {u"one two three", 8, 0, u"one two\nthree"}, // the blank at the break is dropped
        {u"one two three", 3, 0, u"one\ntwo\nthree"},
        {u"ab /a/very/long/path cd", 6, 0, u"ab\n/a/very/long/path\ncd"}, // a long word whole
        {u"  name   meaning of it", 16, 9, u"  name   meaning\n         of it"},
        {u"a b\nc d", 2, 0, u"a\nb\nc\nd"},
        {u"\u4E2D\u4E2D \u4E2D", 5, 0, u"\u4E2D\u4E2D\n\u4E2D"}, // wide characters count two
        {u"x y", 0, 0, u"x\ny"},
        {u"", 10, 0, u""},
        {u"end\n", 10, 0, u"end\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WrapText(c.text, c.width, c.indent), c.wrapped)
            << ToUtf8(c.text) << " at " << c.width;
}

// After a resize: the rows as drawn at the old width, and where the cursor lands once the terminal
// rewrapped them to the new one.
TEST(ConsoleTerminalLayout, RowsRewrappedByTheTerminal) {
    struct Case {
        std::u16string line;
        size_t oldWidth;
        std::vector<size_t> rows;
        size_t newWidth;
        LinePlace cursor; // the terminal's cursor at the new width
    };
    const Case cases[] = {
        {u"abcdefgh|", 6, {6, 4}, 4, {2, 3}},  // "> abcd" takes two rows of four
        {u"ab|cdefgh", 6, {6, 4}, 4, {1, 0}},  // the cursor on the first row's second part
        {u"abcdefgh|", 6, {6, 4}, 12, {1, 4}}, // wider: the rows stay two
        {u"abcd|", 6, {6, 0}, 3, {2, 0}},      // the empty row after a full one
        {u"a\u4E2D|", 80, {5}, 4, {1, 1}},     // the wide character counts two columns
        {u"abcdefghijkl|", 4, {4, 4, 4, 2}, 2, {6, 1}},
        {u"ab|", 4, {4, 0}, 4, {1, 0}},
        {u"abc|", 80, {5}, 5, {0, 4}}, // a row that fits exactly keeps the cursor
    };
    for (const auto& c : cases) {
        auto line = MakeLine(c.line);
        std::string what = ToUtf8(c.line) + " from " + std::to_string(c.oldWidth) + " to " +
                           std::to_string(c.newWidth);
        EXPECT_EQ(RowWidths(u"> ", *line, c.oldWidth), c.rows) << what;
        LinePlace drawn{};
        DrawLine(u"> ", *line, c.oldWidth, &drawn);
        LinePlace now = Rewrapped(c.rows, drawn, c.newWidth);
        EXPECT_EQ(now.row, c.cursor.row) << what;
        EXPECT_EQ(now.column, c.cursor.column) << what;
    }
}

} // namespace
