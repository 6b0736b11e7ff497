// The console's session with the native plug-in: keys in, edit lines and built-in commands out.
#include <filesystem>
#include <memory>
#include <string>

#include "console/drivers/native_driver.h"
#include "console/session/commands.h"
#include "console/session/session.h"
#include "console/terminal/terminal_screen.h"
#include "console/terminal/transcript_screen.h"
#include "plugin/version.h"
#include "world.h"

namespace {

// A started session over the native plug-in: a transcript, or a terminal width columns wide. What
// the console writes is kept in written; the host's output only in the stand-in host.
class ConsoleTest : public World {
  protected:
    std::string written;
    std::unique_ptr<PluginDriver> plugin = MakeNativeDriver();
    std::unique_ptr<Screen> screen;
    std::unique_ptr<Session> session = std::make_unique<Session>();

    void Start(const char16_t* hostVersion = u"23", bool transcript = true, size_t width = 80) {
        written.clear();
        HostSetVariable(u"_4ver", hostVersion);
        HostSetVariable(kResultVariable, u"0");
        ByteSink capture = [this](const char* bytes, size_t length) {
            written.append(bytes, length);
        };
        ByteSink ignore = [](const char*, size_t) {};
        if (transcript)
            screen = MakeTranscriptScreen(capture, ignore);
        else
            screen = MakeTerminalScreen(capture, ignore, ignore, TerminalSize{24, width});
        std::string problem;
        ASSERT_TRUE(plugin->Start(&problem)) << problem;
        bool extended = hostVersion[0] >= u'2' && hostVersion[1] >= u'4';
        session = std::make_unique<Session>();
        SessionBegin(*session, plugin.get(), screen.get(), extended);
        SessionFlush(*session);
        HostClearOutput();
        written.clear();
    }
    void TearDown() override {
        plugin->Stop();
        World::TearDown();
    }

    // Types bytes as a terminal would send them, runs each line they end, then lets the console
    // draw.
    void Type(const std::string& bytes) {
        size_t pos = 0;
        while (pos < bytes.size() && !session->exitRequested) {
            DecodedInput item =
                DecodeInput(reinterpret_cast<const unsigned char*>(bytes.data()) + pos,
                            bytes.size() - pos, true, false);
            if (auto line = SessionInput(*session, item)) RunCommandLine(*session, *line);
            pos += item.consumed;
        }
        SessionFlush(*session);
    }

    std::u16string Line() const { return TranscriptLine(session->line); }
    std::u16string Result() const { return *HostVariable(kResultVariable); }
};

TEST_F(ConsoleTest, TheFirstMinuteAsATranscript) {
    Start();
    Type("copy a.txt b.txt\r");
    Type("notepad\x1bOR");
    EXPECT_EQ(Line(), u"notepad a.txt b.txt|");
    Type("\x1b[D\x1b[D\x1b[H\x1b[F");
    Type("\x1b[1;6R"); // Ctrl-Shift-F3 is not the hotkey
    EXPECT_EQ(written, "[copy a.txt b.txt|] Enter\n"
                       "Not run: copy a.txt b.txt\n"
                       "[notepad|] F3 -> [notepad a.txt b.txt|]\n"
                       "[notepad a.txt b.txt|] Left -> [notepad a.txt b.tx|t]\n"
                       "[notepad a.txt b.tx|t] Left -> [notepad a.txt b.t|xt]\n"
                       "[notepad a.txt b.t|xt] Home -> [|notepad a.txt b.txt]\n"
                       "[|notepad a.txt b.txt] End -> [notepad a.txt b.txt|]\n"
                       "[notepad a.txt b.txt|] Ctrl-Shift-F3 -> [notepad a.txt b.txt|]\n");
}

TEST_F(ConsoleTest, KeysTheHostEditsWith) {
    struct Case {
        std::string keys;
        std::u16string line;
    };
    const Case cases[] = {
        {"abc\x7f", u"ab|"},
        {"abc\x08", u"ab|"},           // Ctrl-H
        {"abc\x1b[D\x1b[3~", u"ab|"},  // Left, Delete
        {"abc\x1b[H\x1b[C", u"a|bc"},  // Home, Right
        {"ab cd\x1b[1;5D", u"ab |cd"}, // Ctrl-Left
        {"abc\x1b[Hx", u"x|abc"},
        {"abc\x1b[H\x1b[2~xy", u"xy|c"},      // Ins: overwrite
        {"abc\x1b", u"|"},                    // Esc clears the line
        {"ab\x1b[99~\x1b[<0;1;1Mc", u"abc|"}, // unknown sequences are ignored
        {"a\x1bOxb", u"ab|"},
        {"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80", u"\u00E9\u20AC\U0001F600|"},
        {"a\xff\xc0z", u"az|"},
        {"\x1b[200~one\rtwo\tthree\x1b[201~", u"two\tthree|"}, // a pasted line break runs
        {"\x1b[200~a\r\nb\nc\x1b[201~", u"c|"},
        {"\x1b[200~abc\x1b[D", u"ab|c"}, // a key no paste holds ends a paste whose end got lost
        {"\x1b[200~ab\x1b[D\t", u"a|b"}, // Tab is a key again after that
    };
    for (const auto& c : cases) {
        Start();
        session->line.overwrite = false;
        Type(c.keys);
        EXPECT_EQ(Line(), c.line) << c.keys;
        plugin->Stop();
        ResetWorld();
    }
}

TEST_F(ConsoleTest, HistoryWithUpAndDown) {
    Start();
    Type("one\rtwo\rdraft");
    Type("\x1b[A");
    EXPECT_EQ(Line(), u"two|");
    Type("\x1b[A\x1b[A");
    EXPECT_EQ(Line(), u"one|");
    Type("\x1b[B\x1b[B");
    EXPECT_EQ(Line(), u"draft|");
}

TEST_F(ConsoleTest, PastingPastTheBoundRingsOnceAndKeepsTheLine) {
    Start();
    Type("\x1b[200~" + std::string(100000, 'x') + "\x1b[201~");
    EXPECT_EQ(session->line.length, kMaxLineLength);
    EXPECT_EQ(session->line.text[kMaxLineLength], 0);
    EXPECT_EQ(std::u16string(session->line.text, kMaxLineLength),
              std::u16string(kMaxLineLength, u'x'));
    EXPECT_EQ(written, "(bell: the line is full)\n");
    Type("\x7fy");
    EXPECT_EQ(session->line.text[kMaxLineLength - 1], u'y');
}

TEST_F(ConsoleTest, BuiltInCommands) {
    struct Case {
        std::string line;
        std::string shown;     // the console's own output after the transcript line
        std::u16string result; // %_? afterwards
        std::u16string stdoutStart;
    };
    const Case cases[] = {
        {"torvane /x", "", u"1", u""},
        {"torvane /a:n", "", u"0", u"\r\n       Torvane v" TORVANE_VERSION_TEXT " (x64) settings:"},
        {"TORVANE /Q /B:N", "", u"0", u""},
        {"usage torvane", "TORVANE /A: /B: /D /K: /L /O: /Q /R /S hotkey\r\n", u"0", u""},
        {"usage key", "No usage text for key.\n", u"1", u""},
        {"help nothing", "No help for nothing.\n", u"1", u""},
        {"set FOO=bar baz", "", u"0", u""},
        {"set =x", "Usage: set NAME=VALUE (set NAME= removes the variable)\n", u"1", u""},
        {"echo [%FOO%] %_?", "[%FOO%] 0\n", u"0", u""},
        {"echo", "\n", u"0", u""},
        {"cls", "", u"0", u""},
        {"dir /w", "Not run: dir /w\n", u"0", u""},
        {"set NOPE", "NOPE is not set\n", u"1", u""},
        {"set _4ver", "_4ver=23\n", u"0", u""},
        {"not run at all, a line that is longer than the eighty columns of a transcript",
         "Not run: not run at all, a line that is longer than the eighty columns of a\n"
         "transcript\n",
         u"0", u""},
        {"  @echo hi", "hi\n", u"0", u""},
        {"", "", u"0", u""},
    };
    for (const auto& c : cases) {
        Start();
        Type(c.line + "\r");
        std::string prefix = "[" + c.line + "|] Enter\n";
        ASSERT_EQ(written.substr(0, prefix.size()), prefix);
        std::string shown = written.substr(prefix.size());
        if (c.line.rfind("usage torvane", 0) == 0) shown = shown.substr(0, c.shown.size());
        EXPECT_EQ(shown, c.shown) << c.line;
        EXPECT_EQ(Result(), c.result) << c.line;
        EXPECT_EQ(HostStdout().substr(0, c.stdoutStart.size()), c.stdoutStart) << c.line;
        plugin->Stop();
        ResetWorld();
    }
    // The start-up line names them from help's table; each name it gives is run.
    const std::u16string names = BuiltInCommandNames();
    EXPECT_EQ(names, u"torvane, help torvane, usage torvane, set, echo, cls, exit");
    for (size_t at = 0, end = 0; end != std::u16string::npos; at = end + 2) {
        end = names.find(u", ", at);
        std::string name = ToUtf8(names.substr(at, end - at));
        Start();
        Type(name + "\r");
        EXPECT_EQ(written.find("Not run"), std::string::npos) << name;
        plugin->Stop();
        ResetWorld();
    }
}

TEST_F(ConsoleTest, PastedLineBreaksRunTheLine) {
    Start();
    Type("\x1b[200~copy p1 p2\r\nnotepad\rdir\nvol\x1b[201~");
    EXPECT_EQ(written, "[copy p1 p2|] Enter\nNot run: copy p1 p2\n"
                       "[notepad|] Enter\nNot run: notepad\n"
                       "[dir|] Enter\nNot run: dir\n");
    EXPECT_EQ(Line(), u"vol|");
    Type("\x1b[H\x1bOR");
    EXPECT_EQ(Line(), u"|vol"); // the plug-in kept the pasted line's arguments: none
}

TEST_F(ConsoleTest, VariablesForThePlugIn) {
    Start();
    Type("set FOO=bar baz\r");
    EXPECT_EQ(*HostVariable(u"FOO"), u"bar baz");
    written.clear();
    Type("echo <%FOO%>\rset FOO\rset FOO=\r");
    EXPECT_EQ(HostVariable(u"FOO"), nullptr);
    EXPECT_EQ(written, "[echo <%FOO%>|] Enter\n<bar baz>\n"
                       "[set FOO|] Enter\nFOO=bar baz\n"
                       "[set FOO=|] Enter\n");
    Type("torvane /x\recho %_?\r");
    EXPECT_NE(written.find("[echo %_?|] Enter\n1\n"), std::string::npos);
    written.clear();
    Type("set b=2\rset A=1\rset\r");
    EXPECT_EQ(written, "[set b=2|] Enter\n[set A=1|] Enter\n[set|] Enter\nA=1\nb=2\n");
    EXPECT_EQ(Result(), u"0");

    std::string folder = ::testing::TempDir() + "console-variables-folder";
    std::filesystem::create_directories(folder); // where the variables file should be
    session->variables.path = folder;
    written.clear();
    Type("set C=3\r");
    EXPECT_EQ(written,
              "[set C=3|] Enter\nCould not keep the variables in " + folder + ": Is a directory\n");
    EXPECT_EQ(Result(), u"2");
    std::filesystem::remove_all(folder);
}

TEST_F(ConsoleTest, HelpShowsTheBoxInTheTranscript) {
    Start();
    Type("help torvane\r");
    EXPECT_NE(written.find("[message box \xe2\x80\x9cTorvane Plugin Help\xe2\x80\x9d]\n"
                           "Display or change settings for the Torvane plugin.\n"),
              std::string::npos)
        << written;
    EXPECT_EQ(Result(), u"0");
    written.clear();
    Type("help\r");
    EXPECT_NE(written.find("Built-in commands of the Torvane console:"), std::string::npos);
}

TEST_F(ConsoleTest, HotkeysWithCombinedModifiers) {
    Start();
    Type("copy a.txt b.txt\r");
    Type("torvane ctrl-shift-f3\r");
    EXPECT_EQ(Settings.hotkey, 0x30056);
    Type("x\x1bOR");
    EXPECT_EQ(Line(), u"x|"); // F3 is no longer the hotkey
    Type("\x1b[1;6R");
    EXPECT_EQ(Line(), u"x ctrl-shift-f3|");
    Type("\x1b\r"); // Alt-Enter still runs the line
    EXPECT_EQ(Line(), u"|");
    Type("torvane ctrl-alt-q\ry\x1b\x11");
    EXPECT_EQ(Line(), u"y ctrl-alt-q|");
}

TEST_F(ConsoleTest, NewerHostsReportSomeKeysByName) {
    Start(u"24");
    EXPECT_TRUE(extendedKeys);
    Type("copy a.txt b.txt\x1b[27;2;13~"); // Shift-Enter: a name, not the hotkey: the line runs
    EXPECT_EQ(Line(), u"|");
    Type("torvane shift-enter\r");
    EXPECT_EQ(Settings.hotkey, 0x80D);
    Type("notepad\x1b[27;2;13~");
    EXPECT_EQ(Line(), u"notepad shift-enter|");
    Type("\r torvane ctrl-1\rz\x1b[27;5;49~");
    EXPECT_EQ(Line(), u"z ctrl-1|");
    Type("\r torvane ctrl-alt-shift-f1\r");
    Type("w\x1b[1;8P");
    EXPECT_EQ(Line(), u"w ctrl-alt-shift-f1|");
}

TEST_F(ConsoleTest, OlderHostsRunShiftEnterAsEnter) {
    Start(u"23");
    Type("copy a.txt b.txt\x1b[27;2;13~");
    EXPECT_EQ(Line(), u"|");
    Type("x\x1bOR");
    EXPECT_EQ(Line(), u"x a.txt b.txt|");
}

// What the plug-in showed beside its output follows the key that caused it, in the order it came.
TEST_F(ConsoleTest, TraceLinesAndSoundsInTheTranscript) {
    Start();
    Type("\x1bOR");
    EXPECT_EQ(written, "[|] F3 -> [|]\n(the system asterisk sound)\n");
    Type("torvane /$:y /q\r");
    written.clear();
    Type("copy a b\r");
    EXPECT_EQ(written, "[copy a b|] Enter\n"
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

TEST_F(ConsoleTest, CtrlCAndExitLeave) {
    Start();
    Type("abc\x03");
    EXPECT_TRUE(session->exitRequested);
    EXPECT_EQ(session->exitStatus, 130);
    EXPECT_EQ(written, "[abc|] Ctrl-C: leaving\n");
    plugin->Stop();
    ResetWorld();
    Start();
    Type("exit\rmore");
    EXPECT_TRUE(session->exitRequested);
    EXPECT_EQ(session->exitStatus, 0);
    EXPECT_EQ(Line(), u"|");
    plugin->Stop();
    ResetWorld();
    Start();
    Type("\x1b[200~abc\x03more"); // inside a paste whose end never comes
    EXPECT_TRUE(session->exitRequested);
    EXPECT_EQ(session->exitStatus, 130);
}

// On a terminal: the line is drawn, cleared from the cursor when the plug-in asks, and redrawn.
TEST_F(ConsoleTest, DrawingOnATerminal) {
    Start(u"23", false, 80);
    Type("copy a.txt b.txt\r");
    written.clear();
    Type("notepad");
    EXPECT_EQ(written, "\r\x1b[J> notepad");
    written.clear();
    Type("\x1bOR");
    // ClearEditLine at the cursor (already there), then the new line from its start.
    EXPECT_EQ(written, "\x1b[J\r\x1b[J> notepad a.txt b.txt");
    written.clear();
    Type("\x1b[1;5D");
    EXPECT_EQ(written, "\r\x1b[J> notepad a.txt b.txt\r\x1b[16C");
}

// On a terminal a variable's control characters show in echo and set, and drive nothing.
TEST_F(ConsoleTest, VariablesShowTheirControlCharactersOnATerminal) {
    Start(u"23", false, 80);
    const std::u16string value = u"a\x1b]0;t\x07"
                                 u"b\rc\td\u009B2J";
    plugin->SetVariable(u"x", value);
    session->variables.byName[u"x"] = value;
    const std::string shown = "x=a^[]0;t^Gb^Mc\td\xef\xbf\xbd"
                              "2J\n";
    const struct {
        std::string keys;
        std::string output;
    } cases[] = {
        {"echo %x%\r", shown.substr(2)},
        {"set x\r", shown},
        {"set\r", shown},
    };
    for (const auto& c : cases) {
        written.clear();
        Type(c.keys);
        EXPECT_EQ(written, "\r\x1b[J> " + c.keys.substr(0, c.keys.size() - 1) + "\r\n" + c.output +
                               "\x1b[J> ")
            << c.keys;
    }
}

TEST_F(ConsoleTest, NarrowTerminalRedrawsFromTheLinesFirstRow) {
    Start(u"23", false, 6);
    Type("abcdefgh");
    EXPECT_EQ(written, "\r\x1b[J> abcd\r\nefgh");
    written.clear();
    Type("\x1b[H");
    EXPECT_EQ(written, "\x1b[1A\r\x1b[J> abcd\r\nefgh\x1b[1A\r\x1b[2C");
    written.clear();
    SessionResize(*session, {24, 4});
    SessionFlush(*session);
    // Rewrapped at four columns the cursor is on the first row, column 2.
    EXPECT_EQ(written, "\r\x1b[J> ab\r\ncdef\r\ngh\x1b[2A");
    Type("\x1b[F");
    written.clear();
    SessionResize(*session, {24, 12});
    SessionFlush(*session);
    // The three rows drawn at four columns stay three on a wider terminal.
    EXPECT_EQ(written, "\x1b[2A\r\x1b[J> abcdefgh");
}

} // namespace
