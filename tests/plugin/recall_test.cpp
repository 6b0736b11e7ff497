#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "keys/modifiers.h"
#include "world.h"

namespace {

// Every test starts from a fresh library and fresh stand-ins.
using Recall = World;

struct FindArgsCase {
    std::u16string line;
    int breakAtSlash;
    const char16_t* args; // null: none
    size_t size = 0; // the buffer: exactly this many characters; 0: the line and its terminator
};

// Words that straddle the scan's steps of 8 and 32 characters.
std::u16string Word(size_t length) {
    return std::u16string(length, u'w');
}

TEST_F(Recall, FindArgsTable) {
    const FindArgsCase cases[] = {
        {u"copy a.txt b.txt", 1, u"a.txt b.txt"},
        {u"   dir   /w  ", 1, u"/w  "},
        {u"dir/w /s", 1, u"/w /s"},
        {u"dir/w /s", 0, u"/s"},
        {u"/x/y z", 1, u"z"},
        {u"\"my prog\" -v", 1, u"-v"},
        {u"\"c:/my prog\"/q", 1, u"/q"},
        {u"\"a/b\"c d", 1, u"d"},
        {u"cls", 1, nullptr},
        {u"cls   ", 1, nullptr},
        {u"", 1, nullptr},
        {u" \t ", 1, nullptr},
        {u"echo\t\"x y\" \"", 1, u"\"x y\" \""},
        {u"a\u00A0b", 1, u"b"},
        {u"a\u3000b", 1, u"b"},
        {u"a\u00E9b c", 1, u"c"},
        {u"\"unclosed quote", 1, nullptr},
        {Word(1) + u" x", 1, u"x"},
        {Word(3) + u" x", 1, u"x"},
        {Word(4) + u" x", 1, u"x"},
        {Word(5) + u" x", 1, u"x"},
        {Word(7) + u" x", 1, u"x"},
        {Word(8) + u" x", 1, u"x"},
        {Word(9) + u" x", 1, u"x"},
        {Word(31) + u" x", 1, u"x"},
        {Word(32) + u" x", 1, u"x"},
        {Word(33) + u" x", 1, u"x"},
        {Word(8), 1, nullptr},
        {Word(32), 1, nullptr},
        {Word(33) + u"/x", 1, u"/x"},
        {Word(33) + u"/x y", 0, u"y"},
        {Word(7) + u"\"" + Word(40) + u" /q\" x", 1, u"x"},
        {Word(40) + u"\u00E9" + Word(20) + u" x", 1, u"x"},
        {Word(40) + u"\u3000x", 1, u"x"},
        {Word(40) + u"\u00A0x", 1, u"x"},
        {Word(40) + u"\tx", 1, u"x"},
        {Word(40) + u"\u0001" + Word(9) + u" x", 1, u"x"},
        {u"/" + Word(40) + u"/y z", 1, u"z"},
        {u"a\u0100b c", 1, u"c"},    // the first character past Latin-1
        {u"\"a\u0100\" c", 1, u"c"}, // the same inside quotes, classed one by one
        {u"copy" + std::u16string(8, u' ') + u"xy z", 1, u"xy z"}, // a whole block of blanks
        // The line ends at its terminator, whatever the buffer holds after it.
        {u"cls   ", 1, nullptr, 64},
        {u"\"" + Word(20) + std::u16string(1, u'\0') + Word(20) + u"\" d", 1, nullptr},
        // Buffers without a terminator: the last slot is the terminator's, the line ends before it.
        {u"abc de", 1, nullptr, 4},
        {u"abc de", 1, nullptr, 5},
        {u"abc de", 1, u"d", 6},
        {Word(64), 1, nullptr, 64},
        {Word(40) + u" " + Word(23), 1, u"wwwwwwwwwwwwwwwwwwwwww",
         64}, // the 22 before the last slot
        {u"   ", 1, nullptr, 3},
        {u"\"" + Word(70), 1, nullptr, 71},
        {u"x", 1, nullptr, 1},
    };
    for (const auto& c : cases) {
        Settings.breakAtSlash = c.breakAtSlash;
        // A heap buffer of exactly the size, so that the sanitizers catch a read past it.
        const size_t size = c.size != 0 ? c.size : c.line.size() + 1;
        std::vector<char16_t> buffer(size, 0);
        std::copy_n(c.line.begin(), std::min(size, c.line.size()), buffer.begin());
        const char16_t* found = FindArgs(buffer.data(), size);
        if (c.args == nullptr) {
            EXPECT_EQ(found, nullptr) << "line: " << ToUtf8(c.line) << " size " << size;
        } else {
            ASSERT_NE(found, nullptr) << "line: " << ToUtf8(c.line) << " size " << size;
            const size_t at = static_cast<size_t>(found - buffer.data());
            const size_t end = std::min(size - 1, TextLengthBounded(found, size - at) + at);
            EXPECT_EQ(std::u16string(found, end - at), c.args) << "line: " << ToUtf8(c.line);
        }
    }
    EXPECT_EQ(FindArgs(nullptr, kLineBufferSize), nullptr);
    EXPECT_EQ(FindArgs(u"x y", 0), nullptr) << "a buffer of no characters holds no line";
}

struct RecallCase {
    std::u16string before; // '|' marks the cursor
    int overwrite;
    std::u16string after;
};

TEST_F(Recall, RecallInsertsOrOverwritesAtTheCursor) {
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

TEST_F(Recall, RecallClearsTheShownLineFromTheCursorBeforeRewriting) {
    Enter(u"copy a.txt b.txt");
    EditLine line(u"copy |x", 0x1003D);
    char16_t* cursor = line.record.cursorPos;
    key(&line.record);
    ASSERT_EQ(HostClearedAt().size(), 1u);
    EXPECT_EQ(HostClearedAt()[0], cursor);
}

TEST_F(Recall, TrailingBlanksAreSavedAndSuppressTheSpaceAfter) {
    Enter(u"echo a  ");
    EditLine line(u"x |y", 0x1003D);
    key(&line.record);
    EXPECT_EQ(line.Shown(), u"x a  |y");
}

TEST_F(Recall, TwoRecallsInsertTwice) {
    Enter(u"copy a b");
    EditLine line(u"x", 0x1003D);
    key(&line.record);
    line.record.keyCode = 0x1003D;
    key(&line.record);
    EXPECT_EQ(line.Shown(), u"x a b a b|");
    EXPECT_EQ(std::u16string(SavedArgs), u"a b");
}

TEST_F(Recall, LinesWithoutArgumentsClearOrKeep) {
    Enter(u"copy a b");
    Settings.keepOldArgs = 1;
    Enter(u"cls");
    ASSERT_NE(SavedArgs, nullptr);
    EXPECT_EQ(std::u16string(SavedArgs), u"a b");
    Settings.keepOldArgs = 0;
    Enter(u"");
    EXPECT_EQ(SavedArgs, nullptr);

    EditLine line(u"x|y", 0x1003D);
    line.record.redraw = 5;
    key(&line.record);
    EXPECT_EQ(line.Shown(), u"x|y");
    EXPECT_EQ(line.record.keyCode, 0) << "the hotkey is consumed even with nothing saved";
    EXPECT_EQ(line.record.redraw, 5);
    EXPECT_EQ(StandInSoundsPlayed(), std::vector<uint32_t>{kSoundSystemAsterisk});
    EXPECT_TRUE(HostClearedAt().empty());
}

TEST_F(Recall, NoSoundsWithoutBeepOnError) {
    Settings.beepOnError = 0;
    EditLine line(u"x", 0x1003D);
    key(&line.record);
    StandInFailAllocations(true);
    Enter(u"copy a b");
    EXPECT_TRUE(StandInSoundsPlayed().empty());
}

TEST_F(Recall, FailedAllocationDropsTheOldArgsAndPlaysTheHandSound) {
    Enter(u"copy a b");
    StandInFailAllocations(true);
    Enter(u"copy c d");
    EXPECT_EQ(SavedArgs, nullptr);
    EXPECT_EQ(StandInSoundsPlayed(), std::vector<uint32_t>{kSoundSystemHand});
}

TEST_F(Recall, CaptureLeavesTheRecordForTheHostToRun) {
    EditLine line(u"copy a| b", 13);
    line.record.redraw = 0;
    KeystrokeRecord before = line.record;
    key(&line.record);
    EXPECT_EQ(std::memcmp(&before, &line.record, sizeof before), 0);
    EXPECT_EQ(std::u16string(SavedArgs), u"a b") << "the whole line, wherever the cursor is";

    KeystrokeRecord empty{};
    empty.keyCode = 13;
    key(&empty); // a null line: nothing happens
    EXPECT_EQ(std::u16string(SavedArgs), u"a b");
    EXPECT_EQ(key(nullptr), 0);
}

struct TraceCase {
    const char* what;
    int keepOldArgs = 0;
    bool savedBefore = false;    // "copy x y" was entered first
    bool failAllocation = false; // the capture's allocation fails
    std::u16string line;
    std::u16string trace;
};

TEST_F(Recall, TraceLinesGoToTheConsoleAndResetThePositions) {
    const TraceCase cases[] = {
        {.what = "saving",
         .line = u"copy a b",
         .trace = u"\r\n\u25BA Saving args \u201Ca b\u201D.\r\n"},
        {.what = "clearing",
         .savedBefore = true,
         .line = u"cls",
         .trace = u"\r\n\u25BA No args found; clearing old args.\r\n"},
        {.what = "keeping",
         .keepOldArgs = 1,
         .savedBefore = true,
         .line = u"cls",
         .trace = u"\r\n\u25BA No args found; keeping old args \u201Cx y\u201D.\r\n"},
        {.what = "keeping nothing",
         .keepOldArgs = 1,
         .line = u"cls",
         .trace = u"\r\n\u25BA No args found; keeping old args \u201C(NULL)\u201D.\r\n"},
        {.what = "no memory",
         .failAllocation = true,
         .line = u"copy a b",
         .trace = u"\r\n\u25BA Can\u2019t allocate memory!\r\n"},
        {.what = "controls",
         .line = u"echo \u001B[2Jx\u0007y\rz\tw\u007F",
         .trace = u"\r\n\u25BA Saving args \u201C\u241B[2Jx\u2407y\u240Dz\u2409w\u2421\u201D.\r\n"},
        {.what = "C1 controls and their neighbours",
         .line = u"echo \u007E\u0080\u0085\u009B\u009F\u00A1",
         .trace = u"\r\n\u25BA Saving args \u201C\u007E\uFFFD\uFFFD\uFFFD\uFFFD\u00A1\u201D.\r\n"},
        {.what = "unit separator",
         .line = u"echo \u001Fa",
         .trace = u"\r\n\u25BA Saving args \u201C\u241Fa\u201D.\r\n"},
    };
    for (const auto& c : cases) {
        ResetWorld();
        if (c.savedBefore) Enter(u"copy x y");
        Settings.traceMessages = 1;
        Settings.keepOldArgs = c.keepOldArgs;
        StandInFailAllocations(c.failAllocation);
        HostSetCursorRow(12);
        EditLine line(c.line, 13);
        key(&line.record);
        EXPECT_EQ(StandInConsoleText(), c.trace) << c.what;
        EXPECT_EQ(line.record.startRow, 12) << c.what;
        EXPECT_EQ(line.record.cursorRow, 12) << c.what;
        EXPECT_EQ(line.record.startColumn, 0) << c.what;
        EXPECT_EQ(line.record.cursorColumn, 0) << c.what;
        EXPECT_TRUE(HostStdout().empty()) << c.what;
    }
}

TEST_F(Recall, TraceLinesShowControlsButTheArgumentsStayAsTyped) {
    const std::u16string typed = u"\u001B[31mred\u0007\u007F";
    Settings.traceMessages = 1;
    Enter(u"echo " + typed);
    EXPECT_EQ(std::u16string(SavedArgs), typed);
    Settings.keepOldArgs = 1;
    Enter(u"cls");
    EXPECT_EQ(
        StandInConsoleText(),
        u"\r\n\u25BA Saving args \u201C\u241B[31mred\u2407\u2421\u201D.\r\n"
        u"\r\n\u25BA No args found; keeping old args \u201C\u241B[31mred\u2407\u2421\u201D.\r\n");
    EditLine line(u"x", 0x1003D);
    key(&line.record);
    EXPECT_EQ(line.Text(), u"x " + typed);
}

TEST_F(Recall, TraceLinesAreDroppedWithoutAConsole) {
    Settings.traceMessages = 1;
    StandInSetConsoleMissing(true);
    Enter(u"copy a b");
    EXPECT_TRUE(StandInConsoleText().empty());
    EXPECT_EQ(std::u16string(SavedArgs), u"a b");
}

struct DispatchCase {
    int32_t keyCode;
    int modifiers; // Shift 1, Ctrl 2, Alt 4
    int32_t hotkey;
    bool extended;
    const char* expect; // "capture", "recall" or "none"
};

TEST_F(Recall, DispatchAddsModifierBitsThenRoutes) {
    const DispatchCase cases[] = {
        {13, 0, 0x1003D, false, "capture"},     {13, 1, 0x1003D, false, "capture"},
        {13, 2, 0x1003D, false, "capture"},     {13, 4, 0x1003D, false, "capture"},
        {13, 5, 0x1003D, false, "capture"},     {13, 3, 0x1003D, false, "none"},
        {13, 6, 0x1003D, false, "none"},        {13, 3, 0x2000D, false, "recall"},
        {13, 6, 0x4000D, false, "recall"},      {13, 7, 0x1003D, false, "capture"},
        {13, 7, 0x1003D, true, "none"},         {13, 0, 13, false, "capture"},
        {0x1003D, 0, 0x1003D, false, "recall"}, {0x1003D, 3, 0x1003D, false, "none"},
        {0x10056, 3, 0x30056, false, "recall"}, {0x10060, 6, 0x50060, false, "recall"},
        {0x30056, 3, 0x30056, false, "recall"}, {0x1005E, 7, 0x1005E, false, "recall"},
        {0x1005E, 7, 0x7005E, true, "recall"},  {0x7005E, 7, 0x7005E, true, "recall"},
        {0x1003D, 0, 0x1003E, false, "none"},   {0x1003D, 5, 0x1003D, false, "recall"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "code 0x" << std::hex << c.keyCode << " modifiers " << c.modifiers
                     << " hotkey 0x" << c.hotkey << (c.extended ? " extended" : " legacy"));
        ResetWorld();
        Enter(u"copy a b");
        Settings.hotkey = c.hotkey;
        extendedKeys = c.extended;
        StandInSetModifiers(c.modifiers);
        EditLine line(u"run x y", c.keyCode);
        EXPECT_EQ(key(&line.record), 0);
        std::string got = line.Text() == u"run x y a b"         ? "recall"
                          : std::u16string(SavedArgs) == u"x y" ? "capture"
                                                                : "none";
        EXPECT_EQ(got, c.expect);
    }
}

// The keyboard is asked about Shift, Ctrl and Alt by their Windows virtual-key numbers.
TEST_F(Recall, ModifiersAreReadByTheirVirtualKeyNumbers) {
    StandInSetModifiers(kShiftBit | kCtrlBit | kAltBit);
    const int held[] = {PlatformKeyHeld(0x10), PlatformKeyHeld(0x11), PlatformKeyHeld(0x12),
                        PlatformKeyHeld(0x0F), PlatformKeyHeld(0x13)};
    EXPECT_EQ(std::vector<int>(std::begin(held), std::end(held)),
              (std::vector<int>{1, 1, 1, 0, 0}));
}

TEST_F(Recall, HotkeyZeroDisablesEverything) {
    Settings.hotkey = 0;
    EditLine line(u"copy a b", 13);
    EXPECT_EQ(key(&line.record), 0);
    EXPECT_EQ(SavedArgs, nullptr);
}

TEST_F(Recall, KeyCodeZeroIsIgnoredOnOlderHosts) {
    Enter(u"copy a b");
    EditLine line(u"x", 0);
    line.SetName(u"F3");
    KeystrokeRecord before = line.record;
    key(&line.record);
    EXPECT_EQ(std::memcmp(&before, &line.record, sizeof before), 0);
    EXPECT_EQ(line.Text(), u"x");
    EXPECT_EQ(std::u16string(line.name), u"F3");
}

TEST_F(Recall, RecallEmptiesTheKeyNameOnExtendedHostsOnly) {
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

TEST_F(Recall, RecallThatWouldOverflowTheLineChangesNothing) {
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
TEST_F(Recall, RecallAtTheBufferBound) {
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
TEST_F(Recall, RecallWithTheCursorPastTheTerminatorChangesNothing) {
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

// A host line buffer of exactly 65,536 characters on the heap, so that the sanitizers catch a
// read past it; text beyond the buffer is cut, and a shorter text is followed by zeros.
struct HostBuffer {
    std::unique_ptr<char16_t[]> line = std::make_unique<char16_t[]>(kLineBufferSize);
    KeystrokeRecord record{};

    HostBuffer(const std::u16string& text, size_t cursor, int32_t code) {
        std::copy_n(text.begin(), std::min(text.size(), kLineBufferSize), line.get());
        record.keyCode = code;
        record.lineStart = line.get();
        record.cursorPos = line.get() + cursor;
    }
};

struct FullLineCase {
    const char* what;
    std::u16string line;
    std::u16string saved; // empty: nothing saved
};

TEST_F(Recall, EnterOnALineThatFillsTheBufferReadsOnlyInsideIt) {
    const std::u16string fill(kLineBufferSize, u'a');
    const FullLineCase cases[] = {
        {"command word only", Word(kLineBufferSize), u""},
        {"word, blank, arguments to the end", u"cmd " + fill, fill.substr(0, 65531)},
        {"terminator in the last slot", u"cmd " + fill.substr(0, 65531), fill.substr(0, 65531)},
        {"one argument character in the last slot", Word(65534) + u" x", u""},
        {"blanks to the end", u"cmd" + std::u16string(kLineBufferSize, u' '), u""},
        {"a quote never closed", u"\"" + fill, u""},
    };
    for (const auto& c : cases) {
        ResetWorld();
        HostBuffer host(c.line, 0, 13);
        EXPECT_EQ(key(&host.record), 0) << c.what;
        if (c.saved.empty()) {
            EXPECT_EQ(SavedArgs, nullptr) << c.what;
            continue;
        }
        ASSERT_NE(SavedArgs, nullptr) << c.what;
        EXPECT_EQ(std::u16string(SavedArgs), c.saved) << c.what;
        EXPECT_EQ(SavedArgsLength, c.saved.size()) << c.what;

        EditLine line(u"x", 0x1003D);
        key(&line.record);
        EXPECT_EQ(line.Text(), u"x " + c.saved) << c.what;
    }
}

struct FullRecallCase {
    int overwrite;
    std::u16string after; // the first 16 characters of the line afterwards
    int redraw;
    size_t cursor = 10;
};

TEST_F(Recall, RecallIntoALineThatFillsTheBufferStaysInsideIt) {
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

TEST_F(Recall, ShutdownReleasesSavedArgs) {
    EXPECT_EQ(ShutdownPlugin(), 0);
    Enter(u"copy a b");
    EXPECT_EQ(ShutdownPlugin(), 0);
    EXPECT_EQ(SavedArgs, nullptr);
}

} // namespace
