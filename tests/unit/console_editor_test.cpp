// The console's edit line: editing, taking the buffer back from the plug-in, and drawing on
// terminals of any width.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "console/terminal/layout.h"
#include "standins/utf8.h"

namespace {

// A line on the heap (it holds 65536 characters); '|' in text marks the cursor.
std::unique_ptr<ConsoleLine> MakeLine(std::u16string text) {
    auto line = std::make_unique<ConsoleLine>();
    LineClear(line.get());
    line->overwrite = false;
    size_t cursor = text.find(u'|');
    if (cursor != std::u16string::npos) text.erase(cursor, 1);
    LineSetText(line.get(), text.data(), text.size());
    if (cursor != std::u16string::npos) line->cursor = cursor;
    return line;
}

std::u16string Shown(const ConsoleLine& line) {
    return std::u16string(line.text, line.length).insert(line.cursor, u"|");
}

// Applies ops: < left, > right, ^ home, $ end, # backspace, ~ delete, { word left, } word right,
// ! switch overwrite; any other character (a surrogate pair as one) is typed.
void Apply(ConsoleLine* line, const std::u16string& ops) {
    for (size_t i = 0; i < ops.size(); ++i) {
        switch (ops[i]) {
        case u'<':
            LineLeft(line);
            break;
        case u'>':
            LineRight(line);
            break;
        case u'^':
            LineHome(line);
            break;
        case u'$':
            LineEnd(line);
            break;
        case u'#':
            LineBackspace(line);
            break;
        case u'~':
            LineDelete(line);
            break;
        case u'{':
            LineWordLeft(line);
            break;
        case u'}':
            LineWordRight(line);
            break;
        case u'!':
            line->overwrite = !line->overwrite;
            break;
        default: {
            size_t count = ops[i] >= 0xD800 && ops[i] <= 0xDBFF && i + 1 < ops.size() ? 2 : 1;
            LineType(line, ops.data() + i, count);
            i += count - 1;
        }
        }
    }
}

struct EditCase {
    std::u16string before;
    std::u16string ops;
    std::u16string after;
};

TEST(ConsoleEditor, Editing) {
    const EditCase cases[] = {
        {u"|", u"abc", u"abc|"},
        {u"ac|", u"<b", u"ab|c"},
        {u"abc|", u"##", u"a|"},
        {u"|abc", u"#", u"|abc"},
        {u"a|bc", u"~", u"a|c"},
        {u"abc|", u"~", u"abc|"},
        {u"abc|", u"^x", u"x|abc"},
        {u"|abc", u"$x", u"abcx|"},
        {u"abc|", u"<<<<", u"|abc"},
        {u"|abc", u">>>>", u"abc|"},
        {u"|abc", u"!xy", u"xy|c"},
        {u"ab|", u"!xy", u"abxy|"},
        {u"a|bc", u"!!x", u"ax|bc"},
        {u"copy a.txt  b.txt|", u"{", u"copy a.txt  |b.txt"},
        {u"copy a.txt  b.txt|", u"{{", u"copy |a.txt  b.txt"},
        {u"|copy a.txt  b.txt", u"}", u"copy |a.txt  b.txt"},
        {u"|copy a.txt  b.txt", u"}}", u"copy a.txt  |b.txt"},
        {u"  |", u"{", u"|  "},
        // Surrogate pairs move, vanish and are replaced as one character.
        {u"a\U0001F600|", u"#", u"a|"},
        {u"a\U0001F600|", u"<", u"a|\U0001F600"},
        {u"|\U0001F600b", u">", u"\U0001F600|b"},
        {u"|\U0001F600b", u"~", u"|b"},
        {u"|\U0001F600b", u"!x", u"x|b"},
        {u"|ab", u"!\U0001F600", u"\U0001F600|b"},
        {u"|", u"\U0001F600", u"\U0001F600|"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.before) + " + " + ToUtf8(c.ops));
        auto line = MakeLine(c.before);
        Apply(line.get(), c.ops);
        EXPECT_EQ(Shown(*line), c.after);
        EXPECT_EQ(line->text[line->length], 0);
    }
}

TEST(ConsoleEditor, TypingStopsAtTheBufferBoundWithoutCorruptingTheLine) {
    auto line = MakeLine(u"");
    std::u16string almost(kMaxLineLength - 1, u'a');
    LineSetText(line.get(), almost.data(), almost.size());
    EXPECT_TRUE(LineType(line.get(), u"b", 1));
    EXPECT_EQ(line->length, kMaxLineLength);
    EXPECT_FALSE(LineType(line.get(), u"c", 1));
    EXPECT_EQ(line->length, kMaxLineLength);
    EXPECT_EQ(line->text[kMaxLineLength - 1], u'b');
    EXPECT_EQ(line->text[kMaxLineLength], 0);

    // A pair needs two places: it goes in whole or not at all.
    LineBackspace(line.get());
    EXPECT_FALSE(LineType(line.get(), u"\U0001F600", 2));
    EXPECT_EQ(line->length, kMaxLineLength - 1);
    EXPECT_EQ(line->text[kMaxLineLength - 1], 0);

    // Overwriting a character in a full line still works.
    LineType(line.get(), u"b", 1);
    line->cursor = 0;
    line->overwrite = true;
    EXPECT_TRUE(LineType(line.get(), u"z", 1));
    EXPECT_EQ(line->length, kMaxLineLength);
    EXPECT_EQ(line->text[0], u'z');

    // A line set from longer text is cut at the bound.
    std::u16string tooLong(kConsoleLineSize + 10, u'x');
    LineSetText(line.get(), tooLong.data(), tooLong.size());
    EXPECT_EQ(line->length, kMaxLineLength);
    EXPECT_EQ(line->text[kMaxLineLength], 0);
}

TEST(ConsoleEditor, AdoptTakesTheBufferBackFromThePlugIn) {
    struct Case {
        std::u16string written; // what the plug-in left in the buffer
        long cursorOffset;      // where it left cursorPos, from the buffer's start
        size_t cursorBefore;
        std::u16string shown;
    };
    const Case cases[] = {
        {u"notepad a.txt b.txt", 19, 7, u"notepad a.txt b.txt|"},
        {u"copy a.txt b.txt x", 16, 5, u"copy a.txt b.txt| x"},
        {u"abc", 0, 2, u"|abc"},
        {u"abc", 3, 0, u"abc|"},
        {u"abc", 10, 2, u"ab|c"},                // beyond the line: the cursor stays
        {u"abc", 10, 9, u"abc|"},                // and is kept within the line
        {u"abc", -5, 1, u"a|bc"},                // before the buffer
        {u"a\U0001F600", 2, 0, u"a|\U0001F600"}, // inside a pair: moved to its start
    };
    for (const auto& c : cases) {
        auto line = MakeLine(u"");
        std::memcpy(line->text, c.written.data(), c.written.size() * sizeof(char16_t));
        line->text[c.written.size()] = 0;
        line->cursor = c.cursorBefore;
        auto at = reinterpret_cast<uintptr_t>(line->text) +
                  static_cast<uintptr_t>(c.cursorOffset * static_cast<long>(sizeof(char16_t)));
        LineAdopt(line.get(), reinterpret_cast<const char16_t*>(at));
        EXPECT_EQ(Shown(*line), c.shown) << ToUtf8(c.written) << " @" << c.cursorOffset;
    }

    // A buffer filled to its end without a terminator gets one at the bound.
    auto line = MakeLine(u"");
    for (size_t i = 0; i < kConsoleLineSize; ++i)
        line->text[i] = u'q';
    LineAdopt(line.get(), nullptr);
    EXPECT_EQ(line->length, kMaxLineLength);
    EXPECT_EQ(line->text[kMaxLineLength], 0);
    EXPECT_EQ(line->cursor, 0u);
}

TEST(ConsoleEditor, CellWidths) {
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

TEST(ConsoleEditor, CursorPlaceOnNarrowTerminals) {
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

TEST(ConsoleEditor, DrawnBytes) {
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

TEST(ConsoleEditor, Moves) {
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

} // namespace

// After a resize: the rows as drawn at the old width, and where the cursor lands once the terminal
// rewrapped them to the new one.
TEST(ConsoleEditor, RowsRewrappedByTheTerminal) {
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
