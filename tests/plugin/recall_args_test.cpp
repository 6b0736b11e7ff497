// The hotkey: the saved arguments put in at the cursor, or the line left as it is.
#include <algorithm>

#include "world.h"

namespace {

using RecallArgs = World;

struct RecallCase {
    std::u16string before; // '|' marks the cursor
    int overwrite;
    std::u16string after;
};

TEST_F(RecallArgs, RecallInsertsOrOverwritesAtTheCursor) {
    const RecallCase cases[] = {
        {u"copy", 0, u"copy a.txt b.txt|"},
        {u"copy", 1, u"copy a.txt b.txt|"},
        {u"notepad ", 0, u"notepad a.txt b.txt|"},
        {u"notepad ", 1, u"notepad a.txt b.txt|"},
        {u"copy |x", 0, u"copy a.txt b.txt |x"},
        {u"copy |x", 1, u"copy a.txt b.txt|"},
        {u"|x", 0, u"a.txt b.txt |x"},
        {u"copy|x", 0, u"copy a.txt b.txt |x"},
        {u"|", 0, u"a.txt b.txt|"},
        {u"copy | x", 0, u"copy a.txt b.txt| x"},
        {u"copy |very long tail text", 1, u"copy a.txt b.txt|"},
        {u"copy\t|", 0, u"copy\ta.txt b.txt|"},
    };
    Enter(u"copy a.txt b.txt");
    for (const auto& c : cases) {
        SCOPED_TRACE("before: " + ToUtf8(c.before) + (c.overwrite ? ", overwriting" : ""));
        Settings.overwrite = c.overwrite;
        EditLine line(c.before, 0x1003D);
        EXPECT_EQ(key(&line.record), 0);
        EXPECT_EQ(line.Shown(), c.after);
        EXPECT_EQ(line.record.keyCode, 0);
        EXPECT_EQ(line.record.redraw, 1);
        EXPECT_EQ(line.record.startRow, 7) << "a recall leaves the rows alone";
    }
    EXPECT_EQ(std::u16string(SavedArgs), u"a.txt b.txt");
}

TEST_F(RecallArgs, RecallClearsTheShownLineFromTheCursorBeforeRewriting) {
    Enter(u"copy a.txt b.txt");
    EditLine line(u"copy |x", 0x1003D);
    char16_t* cursor = line.record.cursorPos;
    key(&line.record);
    ASSERT_EQ(HostClearedAt().size(), 1u);
    EXPECT_EQ(HostClearedAt()[0], cursor);
}

TEST_F(RecallArgs, TrailingBlanksAreSavedAndSuppressTheSpaceAfter) {
    Enter(u"echo a  ");
    EditLine line(u"x |y", 0x1003D);
    key(&line.record);
    EXPECT_EQ(line.Shown(), u"x a  |y");
}

TEST_F(RecallArgs, TwoRecallsInsertTwice) {
    Enter(u"copy a b");
    EditLine line(u"x", 0x1003D);
    key(&line.record);
    line.record.keyCode = 0x1003D;
    key(&line.record);
    EXPECT_EQ(line.Shown(), u"x a b a b|");
    EXPECT_EQ(std::u16string(SavedArgs), u"a b");
}

TEST_F(RecallArgs, RecallEmptiesTheKeyNameOnExtendedHostsOnly) {
    Enter(u"copy a b");
    EditLine older(u"x", 0x1003D);
    older.SetName(u"F3");
    key(&older.record);
    EXPECT_EQ(std::u16string(older.name), u"F3");

    extendedKeys = true;
    EditLine newer(u"x", 0x1003D);
    newer.SetName(u"F3");
    key(&newer.record);
    EXPECT_EQ(newer.name[0], 0);
    EXPECT_EQ(newer.Text(), u"x a b");
}

TEST_F(RecallArgs, RecallThatWouldOverflowTheLineChangesNothing) {
    std::u16string args(40000, u'a');
    Enter(u"cmd " + args);
    ASSERT_EQ(TextLength(SavedArgs), 40000u);
    std::u16string tail(30000, u'b');
    EditLine line(u"x |" + tail, 0x1003D);
    std::u16string before = line.Text();
    char16_t* cursor = line.record.cursorPos;
    key(&line.record);
    EXPECT_EQ(line.Text(), before);
    EXPECT_EQ(line.record.cursorPos, cursor);
    EXPECT_EQ(line.record.redraw, 0);
    EXPECT_EQ(line.record.keyCode, 0);
    EXPECT_EQ(StandInSoundsPlayed(), std::vector<uint32_t>{kSoundSystemAsterisk});
    EXPECT_TRUE(HostClearedAt().empty());

    // Exactly 65535 characters still fit.
    std::u16string fits(65535 - 3 - 40000, u'c'); // prefix, saved args, one space
    EditLine full(u"x |" + fits, 0x1003D);
    key(&full.record);
    EXPECT_EQ(full.Text().size(), 65535u);
    EXPECT_EQ(full.record.redraw, 1);
}

struct BoundaryCase {
    size_t prefix;     // characters left of the cursor
    std::u16string at; // the first characters right of the cursor
    size_t right;      // characters right of the cursor; the buffer's size: no terminator
    int overwrite;
    size_t length; // of the new line; 0: refused, the line unchanged
};

// Saved "a" recalled into lines at the buffer's bound: the new line and its terminator fit in
// 65536 characters or nothing changes; a line without a terminator is read up to the bound.
TEST_F(RecallArgs, RecallAtTheBufferBound) {
    const BoundaryCase cases[] = {
        {1, u"y", 65531, 0, 65535},       // "x a y...": both spaces added
        {1, u"y", 65532, 0, 0},           // one more
        {0, u"y", 65533, 0, 65535},       // "a y...": the space after only
        {0, u" ", 65534, 0, 65535},       // no space added
        {0, u" ", 65535, 0, 0},           // the whole buffer, terminator in its last cell
        {0, u"y", kLineBufferSize, 0, 0}, // no terminator at all
        {65535, u"", 1, 0, 0},            // the cursor in the last cell, no terminator
        {65533, u"y", 2, 1, 65535},       // overwrite: the text right of the cursor goes
        {65534, u"y", 1, 1, 0},
        {100, u"y", kLineBufferSize - 100, 1, 102},
    };
    Enter(u"cmd a");
    for (const BoundaryCase& c : cases) {
        Settings.overwrite = c.overwrite;
        EditLine line(u"", 0x1003D);
        std::u16string right = c.at + std::u16string(c.right - c.at.size(), u'y');
        line.buffer.replace(0, c.prefix, std::u16string(c.prefix, u'x'));
        line.buffer.replace(c.prefix, right.size(), right);
        line.record.cursorPos = line.buffer.data() + c.prefix;
        const std::u16string before = line.buffer;
        key(&line.record);
        std::string row = std::to_string(c.prefix) + "+" + std::to_string(c.right);
        EXPECT_EQ(line.buffer.size(), kLineBufferSize) << row;
        if (c.length == 0) {
            EXPECT_TRUE(line.buffer == before) << row;
            EXPECT_EQ(line.record.redraw, 0) << row;
            continue;
        }
        EXPECT_EQ(line.Text().size(), c.length) << row;
        EXPECT_EQ(line.record.redraw, 1) << row;
    }
}

// A cursor past the terminator is outside the line: the key is taken and nothing changes.
TEST_F(RecallArgs, RecallWithTheCursorPastTheTerminatorChangesNothing) {
    const size_t cursors[] = {8, 12, kLineBufferSize - 1};
    Enter(u"copy a b");
    for (size_t cursor : cursors) {
        EditLine line(u"notepad", 0x1003D);
        line.record.cursorPos = line.buffer.data() + cursor;
        key(&line.record);
        EXPECT_EQ(line.buffer, EditLine(u"notepad").buffer) << cursor;
        EXPECT_EQ(line.Cursor(), cursor);
        EXPECT_EQ(line.record.redraw, 0) << cursor;
        EXPECT_EQ(line.record.keyCode, 0) << cursor;
    }
    EXPECT_TRUE(HostClearedAt().empty());
}

struct FullRecallCase {
    int overwrite;
    std::u16string after; // the first 16 characters of the line afterwards
    int redraw;
    size_t cursor = 10;
};

TEST_F(RecallArgs, RecallIntoALineThatFillsTheBufferStaysInsideIt) {
    const FullRecallCase cases[] = {
        {1, u"wwwwwwwwww a b", 1},
        {0, u"wwwwwwwwwwwwwwww", 0},                  // it would not fit: refused
        {0, u"wwwwwwwwwwwwwwww", 0, kLineBufferSize}, // a cursor past the buffer is outside it
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("overwrite " + std::to_string(c.overwrite) + " cursor " +
                     std::to_string(c.cursor));
        ResetWorld();
        Enter(u"copy a b");
        Settings.overwrite = c.overwrite;
        HostBuffer host(Word(kLineBufferSize), c.cursor, 0x1003D);
        key(&host.record);
        const size_t length = TextLengthBounded(host.line.get(), kLineBufferSize);
        EXPECT_EQ(std::u16string(host.line.get(), std::min<size_t>(length, 16)), c.after);
        EXPECT_EQ(host.record.redraw, c.redraw);
        EXPECT_EQ(length, c.redraw != 0 ? c.after.size() : kLineBufferSize);
    }
}

} // namespace
