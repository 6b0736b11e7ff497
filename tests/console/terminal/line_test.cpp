// The console's edit line: editing, its bound, and taking the buffer back from the plug-in.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>

#include "console/terminal/line.h"
#include "standins/utf8.h"
#include "tests/console/terminal/marked_line.h"

namespace {

void SwitchOverwrite(ConsoleLine* line) {
    line->overwrite = !line->overwrite;
}

// Each op: < left, > right, ^ home, $ end, # backspace, ~ delete, { word left, } word right,
// ! switch overwrite.
constexpr struct {
    char16_t op;
    void (*edit)(ConsoleLine*);
} kOps[] = {{u'<', LineLeft},     {u'>', LineRight},     {u'^', LineHome},
            {u'$', LineEnd},      {u'#', LineBackspace}, {u'~', LineDelete},
            {u'{', LineWordLeft}, {u'}', LineWordRight}, {u'!', SwitchOverwrite}};

// Applies ops; any other character (a surrogate pair as one) is typed.
void Apply(ConsoleLine* line, const std::u16string& ops) {
    for (size_t i = 0; i < ops.size(); ++i) {
        auto edit = std::find_if(std::begin(kOps), std::end(kOps),
                                 [&](const auto& o) { return o.op == ops[i]; });
        if (edit != std::end(kOps)) {
            edit->edit(line);
            continue;
        }
        size_t count = ops[i] >= 0xD800 && ops[i] <= 0xDBFF && i + 1 < ops.size() ? 2 : 1;
        LineType(line, ops.data() + i, count);
        i += count - 1;
    }
}

struct EditCase {
    std::u16string before;
    std::u16string ops;
    std::u16string after;
};

TEST(ConsoleTerminalLine, Editing) {
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

TEST(ConsoleTerminalLine, TypingStopsAtTheBufferBoundWithoutCorruptingTheLine) {
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

TEST(ConsoleTerminalLine, AdoptTakesTheBufferBackFromThePlugIn) {
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

} // namespace
