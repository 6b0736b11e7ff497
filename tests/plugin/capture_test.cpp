// Enter: the arguments saved, kept or cleared, and the trace line of each outcome.
#include <cstring>
#include <vector>

#include "world.h"

namespace {

using RecallCapture = World;

TEST_F(RecallCapture, LinesWithoutArgumentsClearOrKeep) {
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

TEST_F(RecallCapture, NoSoundsWithoutBeepOnError) {
    Settings.beepOnError = 0;
    EditLine line(u"x", 0x1003D);
    key(&line.record);
    StandInFailAllocations(true);
    Enter(u"copy a b");
    EXPECT_TRUE(StandInSoundsPlayed().empty());
}

TEST_F(RecallCapture, FailedAllocationDropsTheOldArgsAndPlaysTheHandSound) {
    Enter(u"copy a b");
    StandInFailAllocations(true);
    Enter(u"copy c d");
    EXPECT_EQ(SavedArgs, nullptr);
    EXPECT_EQ(StandInSoundsPlayed(), std::vector<uint32_t>{kSoundSystemHand});
}

TEST_F(RecallCapture, CaptureLeavesTheRecordForTheHostToRun) {
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

TEST_F(RecallCapture, TraceLinesGoToTheConsoleAndResetThePositions) {
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

TEST_F(RecallCapture, TraceLinesShowControlsButTheArgumentsStayAsTyped) {
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

TEST_F(RecallCapture, TraceLinesAreDroppedWithoutAConsole) {
    Settings.traceMessages = 1;
    StandInSetConsoleMissing(true);
    Enter(u"copy a b");
    EXPECT_TRUE(StandInConsoleText().empty());
    EXPECT_EQ(std::u16string(SavedArgs), u"a b");
}

struct FullLineCase {
    const char* what;
    std::u16string line;
    std::u16string saved; // empty: nothing saved
};

TEST_F(RecallCapture, EnterOnALineThatFillsTheBufferReadsOnlyInsideIt) {
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

} // namespace
