// The console's session: each key to the plug-in first, then the host's editing, history and
// paste; the line drawn on a terminal or recorded in a transcript; Ctrl-C and exit.
#include <string>

#include "tests/console/session/session_fixture.h"

namespace {

using ConsoleSession = SessionFixture;

TEST_F(ConsoleSession, TheFirstMinuteAsATranscript) {
    Start();
    Type("copy a.txt b.txt\r");
    Type("notepad<f3>");
    EXPECT_EQ(Line(), u"notepad a.txt b.txt|");
    Type("<left><left><home><end>");
    Type("<c-s-f3>"); // not the hotkey
    EXPECT_EQ(written, "[copy a.txt b.txt|] Enter\n"
                       "Not run: copy a.txt b.txt\n"
                       "[notepad|] F3 -> [notepad a.txt b.txt|]\n"
                       "[notepad a.txt b.txt|] Left -> [notepad a.txt b.tx|t]\n"
                       "[notepad a.txt b.tx|t] Left -> [notepad a.txt b.t|xt]\n"
                       "[notepad a.txt b.t|xt] Home -> [|notepad a.txt b.txt]\n"
                       "[|notepad a.txt b.txt] End -> [notepad a.txt b.txt|]\n"
                       "[notepad a.txt b.txt|] Ctrl-Shift-F3 -> [notepad a.txt b.txt|]\n");
}

TEST_F(ConsoleSession, KeysTheHostEditsWith) {
    struct Case {
        std::string keys;
        std::u16string line;
    };
    const Case cases[] = {
        {"abc<bs>", u"ab|"},
        {"abc<c-h>", u"ab|"},
        {"abc<left><del>", u"ab|"},
        {"abc<home><right>", u"a|bc"},
        {"ab cd<c-left>", u"ab |cd"},
        {"abc<home>x", u"x|abc"},
        {"abc<home><ins>xy", u"xy|c"},        // overwrite
        {"abc<esc>", u"|"},                   // Esc clears the line
        {"ab\x1b[99~\x1b[<0;1;1Mc", u"abc|"}, // unknown sequences are ignored
        {"a\x1bOxb", u"ab|"},
        {"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80", u"\u00E9\u20AC\U0001F600|"},
        {"a\xff\xc0z", u"az|"},
        {"<paste>one\rtwo\tthree</paste>", u"two\tthree|"}, // a pasted line break runs
        {"<paste>a\r\nb\nc</paste>", u"c|"},
        {"<paste>abc<left>", u"ab|c"}, // a key no paste holds ends a paste whose end got lost
        {"<paste>ab<left>\t", u"a|b"}, // Tab is a key again after that
    };
    for (const auto& c : cases) {
        Start();
        session->line.overwrite = false;
        Type(c.keys);
        EXPECT_EQ(Line(), c.line) << c.keys;
    }
}

TEST_F(ConsoleSession, HistoryWithUpAndDown) {
    Start();
    Type("one\rtwo\rdraft");
    Type("<up>");
    EXPECT_EQ(Line(), u"two|");
    Type("<up><up>");
    EXPECT_EQ(Line(), u"one|");
    Type("<down><down>");
    EXPECT_EQ(Line(), u"draft|");
}

TEST_F(ConsoleSession, PastingPastTheBoundRingsOnceAndKeepsTheLine) {
    Start();
    Type("<paste>" + std::string(100000, 'x') + "</paste>");
    EXPECT_EQ(session->line.length, kMaxLineLength);
    EXPECT_EQ(session->line.text[kMaxLineLength], 0);
    EXPECT_EQ(std::u16string(session->line.text, kMaxLineLength),
              std::u16string(kMaxLineLength, u'x'));
    EXPECT_EQ(written, "(bell: the line is full)\n");
    Type("<bs>y");
    EXPECT_EQ(session->line.text[kMaxLineLength - 1], u'y');

    // On a terminal 200 columns wide the last row holds what is left of the 65535 characters after
    // "> ", and each character past the bound rings the bell.
    Start(u"23", false, 200);
    std::string drawn = Typed("<paste>" + std::string(100000, 'x') + "</paste>");
    EXPECT_EQ(drawn.substr(drawn.rfind("\r\n") + 2), std::string((65535 + 2) % 200, 'x') + "\a");
    drawn = Typed("<bs>yz");
    EXPECT_EQ(drawn.substr(drawn.rfind("\r\n") + 2),
              std::string((65535 + 2) % 200 - 1, 'x') + "y\a");
}

TEST_F(ConsoleSession, PastedLineBreaksRunTheLine) {
    Start();
    Type("<paste>copy p1 p2\r\nnotepad\rdir\nvol</paste>");
    EXPECT_EQ(written, "[copy p1 p2|] Enter\nNot run: copy p1 p2\n"
                       "[notepad|] Enter\nNot run: notepad\n"
                       "[dir|] Enter\nNot run: dir\n");
    EXPECT_EQ(Line(), u"vol|");
    Type("<home><f3>");
    EXPECT_EQ(Line(), u"|vol"); // the plug-in kept the pasted line's arguments: none
    Type("<esc>");
    Type("<paste>copy p1 p2\r\nnotepad</paste><f3>");
    EXPECT_EQ(Line(), u"notepad p1 p2|");
}

TEST_F(ConsoleSession, HotkeysWithCombinedModifiers) {
    Start();
    Type("copy a.txt b.txt\r");
    Type("torvane ctrl-shift-f3\r");
    EXPECT_EQ(Settings.hotkey, 0x30056);
    Type("x<f3>");
    EXPECT_EQ(Line(), u"x|"); // F3 is no longer the hotkey
    Type("<c-s-f3>");
    EXPECT_EQ(Line(), u"x ctrl-shift-f3|");
    Type("<a-enter>"); // still runs the line
    EXPECT_EQ(Line(), u"|");
    Type("torvane ctrl-alt-q\ry<c-a-q>");
    EXPECT_EQ(Line(), u"y ctrl-alt-q|");
}

TEST_F(ConsoleSession, NewerHostsReportSomeKeysByName) {
    Start(u"24");
    EXPECT_TRUE(extendedKeys);
    Type("copy a.txt b.txt<s-enter>"); // a name, not the hotkey: the line runs
    EXPECT_EQ(Line(), u"|");
    Type("torvane shift-enter\r");
    EXPECT_EQ(Settings.hotkey, 0x80D);
    Type("notepad<s-enter>");
    EXPECT_EQ(Line(), u"notepad shift-enter|");
    Type("\r torvane ctrl-1\rz<c-1>");
    EXPECT_EQ(Line(), u"z ctrl-1|");
    Type("\r torvane ctrl-alt-shift-f1\r");
    Type("w<c-a-s-f1>");
    EXPECT_EQ(Line(), u"w ctrl-alt-shift-f1|");
}

TEST_F(ConsoleSession, OlderHostsRunShiftEnterAsEnter) {
    Start(u"23");
    Type("copy a.txt b.txt<s-enter>");
    EXPECT_EQ(Line(), u"|");
    Type("x<f3>");
    EXPECT_EQ(Line(), u"x a.txt b.txt|");
}

// What the plug-in showed beside its output follows the key that caused it, in the order it came.
TEST_F(ConsoleSession, TraceLinesAndSoundsInTheTranscript) {
    Start();
    Type("<f3>");
    EXPECT_EQ(written, "[|] F3 -> [|]\n(the system asterisk sound)\n");
    Type("torvane /$:y /q\r");
    EXPECT_EQ(Typed("copy a b\r"), "[copy a b|] Enter\n"
                                   "\r\n\xe2\x96\xba Saving args \xe2\x80\x9c"
                                   "a b\xe2\x80\x9d.\r\n"
                                   "Not run: copy a b\n");
    written.clear();
    StandInFailAllocations(true);
    Type("copy c d\r");
    StandInFailAllocations(false);
    EXPECT_EQ(written, "[copy c d|] Enter\n"
                       "(the system hand sound)\n"
                       "\r\n\xe2\x96\xba Can\xe2\x80\x99t allocate memory!\r\n"
                       "Not run: copy c d\n");
}

TEST_F(ConsoleSession, CtrlCAndExitLeave) {
    Start();
    Type("abc<c-c>");
    EXPECT_TRUE(session->exitRequested);
    EXPECT_EQ(session->exitStatus, 130);
    EXPECT_EQ(written, "[abc|] Ctrl-C: leaving\n");
    Start();
    Type("exit\rmore");
    EXPECT_TRUE(session->exitRequested);
    EXPECT_EQ(session->exitStatus, 0);
    EXPECT_EQ(Line(), u"|");
    Start();
    Type("<paste>abc<c-c>more"); // inside a paste whose end never comes
    EXPECT_TRUE(session->exitRequested);
    EXPECT_EQ(session->exitStatus, 130);
}

// On a terminal: the line is drawn, cleared from the cursor when the plug-in asks, and redrawn.
TEST_F(ConsoleSession, DrawingOnATerminal) {
    Start(u"23", false, 80);
    Type("copy a.txt b.txt\r");
    EXPECT_EQ(Typed("notepad"), "\r\x1b[J> notepad");
    // ClearEditLine at the cursor (already there), then the new line from its start.
    EXPECT_EQ(Typed("<f3>"), "\x1b[J\r\x1b[J> notepad a.txt b.txt");
    EXPECT_EQ(Typed("<c-left>"), "\r\x1b[J> notepad a.txt b.txt\r\x1b[16C");
}

TEST_F(ConsoleSession, NarrowTerminalRedrawsFromTheLinesFirstRow) {
    Start(u"23", false, 6);
    Type("abcdefgh");
    EXPECT_EQ(written, "\r\x1b[J> abcd\r\nefgh");
    EXPECT_EQ(Typed("<home>"), "\x1b[1A\r\x1b[J> abcd\r\nefgh\x1b[1A\r\x1b[2C");
    written.clear();
    SessionResize(*session, {24, 4});
    SessionFlush(*session);
    // Rewrapped at four columns the cursor is on the first row, column 2.
    EXPECT_EQ(written, "\r\x1b[J> ab\r\ncdef\r\ngh\x1b[2A");
    Type("<end>");
    written.clear();
    SessionResize(*session, {24, 12});
    SessionFlush(*session);
    // The three rows drawn at four columns stay three on a wider terminal.
    EXPECT_EQ(written, "\x1b[2A\r\x1b[J> abcdefgh");
}

} // namespace
