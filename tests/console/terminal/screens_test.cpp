// The console's two screens: how each shows data's control characters (visible_text), the
// terminal's paging, and the complaints both put on the error stream.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/terminal/terminal_screen.h"
#include "console/terminal/transcript_screen.h"
#include "console/terminal/visible_text.h"
#include "standins/utf8.h"

namespace {

// Data's control characters show in their visible form; a transcript keeps only line feeds, the
// terminal line ends and tabs too.
TEST(ConsoleTerminalScreens, TranscriptsAndTheTerminalShowControlCharacters) {
    constexpr ShownOn kTranscript = ShownOn::kTranscript;
    constexpr ShownOn kTerminal = ShownOn::kTerminal;
    struct Case {
        ShownOn on;
        std::vector<std::string> writes;
        std::string shown;
    };
    const Case cases[] = {
        {kTranscript,
         {"Torvane v1.2.3 loaded; hotkey is F3.\r\n"},
         "Torvane v1.2.3 loaded; hotkey is F3.\n"},
        {kTranscript, {"a\r", "\nb\r"}, "a\nb"}, // a carriage return waits for what follows
        {kTranscript, {"a\rb"}, "a^Mb"},
        {kTranscript, {"\tx\ty"}, "        x       y"},
        {kTranscript, {"ab\tc", "\td"}, "ab      c       d"},
        {kTranscript, {"\x07\x1b[1m\x7f\x01"}, "^G^[[1m^?^A"},
        {kTranscript, {"\xc2\x85|\xc3\xa9"}, "\xef\xbf\xbd|\xc3\xa9"}, // a C1 control, an e acute
        {kTranscript, {"\xe2\x96\xba\tx"}, "\xe2\x96\xba       x"},    // one column per character
        {kTerminal, {"a\r\n\tb\nc\r", "\nd\r"}, "a\r\n\tb\nc\r\nd"},
        {kTerminal, {"a\rb\r\r\n"}, "a^Mb^M\r\n"},
        {kTerminal, {"\x1b]0;title\x07\x1b[2J\x7f\x1f"}, "^[]0;title^G^[[2J^?^_"},
        // CSI as a C1 control; the second byte of U+2026 is no control.
        {kTerminal, {"\xc2\x9bK\xe2\x80\xa6"}, "\xef\xbf\xbdK\xe2\x80\xa6"},
    };
    for (const auto& c : cases) {
        VisibleStream stream{c.on};
        std::string shown;
        for (const std::string& bytes : c.writes)
            shown += VisibleText(&stream, bytes.data(), bytes.size());
        EXPECT_EQ(shown, c.shown) << c.writes[0];
    }
}

// The console's complaints go to the error stream, broken at blanks, without control characters.
TEST(ConsoleTerminalScreens, ComplaintsAreLinesOnTheErrorStream) {
    std::string out;
    std::string err;
    ByteSink toOut = [&out](const char* bytes, size_t length) { out.append(bytes, length); };
    ByteSink toErr = [&err](const char* bytes, size_t length) { err.append(bytes, length); };
    Complain(*MakeTranscriptScreen(toOut, toErr),
             "cannot write the registry file /tmp/r\xc2\x85\x1b[2J\n.txt: Permission denied (the "
             "file is read-only)");
    Complain(*MakeTerminalScreen(toOut, toOut, toErr, {24, 30}),
             "the bridge under Wine was ended by signal 9 (Killed)");
    EXPECT_EQ(err, "torvane-console: cannot write the registry file /tmp/r\xef\xbf\xbd^[[2J^J.txt: "
                   "Permission\n"
                   "denied (the file is read-only)\n"
                   "torvane-console: the bridge\nunder Wine was ended by signal\n9 (Killed)\n");
    EXPECT_EQ(out, "");
}

// The terminal shows what comes from data, whatever prints it, without obeying its controls;
// output sent to a file or pipe instead stays as written, and the console's own drawing too.
TEST(ConsoleTerminalScreens, TheTerminalShowsDataWithoutObeyingIt) {
    std::string terminal, out;
    ByteSink toTerminal = [&](const char* bytes, size_t length) { terminal.append(bytes, length); };
    ByteSink toOut = [&](const char* bytes, size_t length) { out.append(bytes, length); };
    auto screen = MakeTerminalScreen(toTerminal, nullptr, nullptr, {24, 80});
    screen->Print(u"a\x1b[2J\n");
    screen->HostOutput(1, u"b\a\r\n", 4);
    screen->HostOutput(2, u"c\rd\r", 4);
    screen->Draw(u"\x1b[2A\r");
    screen->Bell();
    EXPECT_EQ(terminal, "a^[[2J\nb^G\r\nc^Md^M\x1b[2A\r\a");
    terminal.clear();
    auto redirected = MakeTerminalScreen(toTerminal, toOut, nullptr, {24, 80});
    redirected->HostOutput(1, u"b\a\r\n", 4);
    EXPECT_EQ(out, "b\a\r\n");
    EXPECT_EQ(terminal, "");
}

// Paged output on a terminal of 4 rows and 10 columns stops before it would reach the last row;
// the note there is erased once the answer came. The host's output elsewhere is never paged.
TEST(ConsoleTerminalScreens, PagedOutputStopsAtEachFullPage) {
    const std::string note = "-- More: \r\x1b[K";
    const struct {
        std::u16string text;
        std::vector<More> answers;
        std::string shown;
    } cases[] = {
        {u"a\nb\nc\n", {}, "a\nb\nc\n"},
        {u"a\r\nb\r\nc\r\nd", {More::kPage}, "a\r\nb\r\nc\r\n" + note + "d"},
        // A wide character that does not fit starts a row, a row of all 10 columns is one, and
        // tabs stop at the last column.
        {u"123456789\u6f22\nb\nc", {More::kPage}, "123456789\xe6\xbc\xa2\nb\n" + note + "c"},
        {u"1234567890\n\t\tx\nc\nd", {More::kPage}, "1234567890\n\t\tx\nc\n" + note + "d"},
        {u"a\nb\nc\nd\ne\nf", {More::kLine, More::kStop}, "a\nb\nc\n" + note + "d\n" + note},
        {u"a\nb\nc\nd\ne\nf", {More::kRest}, "a\nb\nc\n" + note + "d\ne\nf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        std::string terminal, elsewhere;
        size_t asked = 0;
        auto screen = MakeTerminalScreen(
            [&](const char* bytes, size_t length) { terminal.append(bytes, length); },
            [&](const char* bytes, size_t length) { elsewhere.append(bytes, length); }, nullptr,
            TerminalSize{4, 10}, [&] { return c.answers.at(asked++); });
        screen->PageOutput(true);
        screen->HostOutput(1, u"1\n2\n3\n4\n5\n", 10);
        screen->HostOutput(2, c.text.data(), c.text.size());
        EXPECT_EQ(terminal, c.shown) << ToUtf8(c.text);
        EXPECT_EQ(asked, c.answers.size()) << ToUtf8(c.text);
        EXPECT_EQ(elsewhere, "1\n2\n3\n4\n5\n");
    }
}

} // namespace
