// The console's built-in commands: the plug-in's command, help and usage, set and echo over the
// host's variables, cls, and every other line shown as not run.
#include <filesystem>
#include <string>

#include "plugin/version.h"
#include "standins/utf8.h"
#include "tests/console/session/session_fixture.h"

namespace {

using ConsoleSessionCommands = SessionFixture;

TEST_F(ConsoleSessionCommands, BuiltInCommands) {
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
    }
}

TEST_F(ConsoleSessionCommands, VariablesForThePlugIn) {
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
    EXPECT_EQ(Typed("set b=2\rset A=1\rset\r"),
              "[set b=2|] Enter\n[set A=1|] Enter\n[set|] Enter\nA=1\nb=2\n");
    EXPECT_EQ(Result(), u"0");

    std::string folder = ::testing::TempDir() + "console-variables-folder";
    std::filesystem::create_directories(folder); // where the variables file should be
    session->variables.path = folder;
    EXPECT_EQ(Typed("set C=3\r"),
              "[set C=3|] Enter\nCould not keep the variables in " + folder + ": Is a directory\n");
    EXPECT_EQ(Result(), u"2");
    std::filesystem::remove_all(folder);
}

TEST_F(ConsoleSessionCommands, HelpShowsTheBoxInTheTranscript) {
    Start();
    Type("help torvane\r");
    EXPECT_NE(written.find("[message box \xe2\x80\x9cTorvane Plugin Help\xe2\x80\x9d]\n"
                           "Display or change settings for the Torvane plugin.\n"),
              std::string::npos)
        << written;
    EXPECT_EQ(Result(), u"0");
    EXPECT_NE(Typed("help\r").find("Built-in commands of the Torvane console:"), std::string::npos);
}

// On a terminal a variable's control characters show in echo and set, and drive nothing.
TEST_F(ConsoleSessionCommands, VariablesShowTheirControlCharactersOnATerminal) {
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
        EXPECT_EQ(Typed(c.keys), "\r\x1b[J> " + c.keys.substr(0, c.keys.size() - 1) + "\r\n" +
                                     c.output + "\x1b[J> ")
            << c.keys;
    }
}

} // namespace
