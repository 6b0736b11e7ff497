// The console's texts: its own messages broken to the terminal's width, transcripts without
// control characters, the help box laid out for terminals of every size, and long output paged.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/session/host_keys.h"
#include "console/terminal/help_box.h"
#include "console/terminal/layout.h"
#include "console/terminal/terminal_screen.h"
#include "console/terminal/transcript_screen.h"
#include "plugin/version.h"
#include "standins/utf8.h"

namespace {

TEST(ConsoleText, WrappedAtBlanks) {
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

// Data's control characters show in their visible form; a transcript keeps only line feeds, the
// terminal line ends and tabs too.
TEST(ConsoleText, TranscriptsAndTheTerminalShowControlCharacters) {
    constexpr ShownOn kTranscript = ShownOn::kTranscript;
    constexpr ShownOn kTerminal = ShownOn::kTerminal;
    struct Case {
        ShownOn on;
        std::vector<std::string> writes;
        std::string shown;
    };
    const Case cases[] = {
        {kTranscript,
         {"Torvane v" TORVANE_VERSION_TEXT " loaded; hotkey is F3.\r\n"},
         "Torvane v" TORVANE_VERSION_TEXT " loaded; hotkey is F3.\n"},
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
TEST(ConsoleText, ComplaintsAreLinesOnTheErrorStream) {
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
TEST(ConsoleText, TheTerminalShowsDataWithoutObeyingIt) {
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

// The help box's rows as text, one per line.
std::string Rows(const BoxLayout& box, size_t top) {
    std::string out;
    for (const std::u16string& row : BoxRows(box, top))
        out += ToUtf8(row) + "\n";
    return out;
}

TEST(ConsoleText, TheBoxFitsTheTerminal) {
    const std::u16string text = u"First line\r\n\n\tTab\tstop\nA line long enough to wrap\n";
    struct Case {
        size_t width;
        size_t height;
        std::string rows;
    };
    const Case cases[] = {
        {80, 24,
         "┌────────────────────────────┐\n"
         "│ Title                      │\n"
         "├────────────────────────────┤\n"
         "│ First line                 │\n"
         "│                            │\n"
         "│         Tab     stop       │\n"
         "│ A line long enough to wrap │\n"
         "│                            │\n"
         "│           [ OK ]           │\n"
         "└────────────────────────────┘\n"},
        {16, 24,
         "┌──────────────┐\n"
         "│ Title        │\n"
         "├──────────────┤\n"
         "│ First line   │\n"
         "│              │\n"
         "│         Tab  │\n"
         "│       stop   │\n" // the indent kept, as much of it as leaves half the row
         "│ A line long  │\n"
         "│ enough to    │\n"
         "│ wrap         │\n"
         "│              │\n"
         "│    [ OK ]    │\n"
         "└──────────────┘\n"},
        {30, 9, // two of the four lines show, with a note on how to see the others
         "┌────────────────────────────┐\n"
         "│ Title                      │\n"
         "├────────────────────────────┤\n"
         "│ First line                 │\n"
         "│                            │\n"
         "│ Lines 1-2 of 4: Up/Down/Pg │\n"
         "│           [ OK ]           │\n"
         "└────────────────────────────┘\n"},
        {8, 8,
         "┌──────┐\n"
         "│ Titl │\n"
         "│ e    │\n"
         "├──────┤\n"
         "│ Firs │\n"
         "│ Line │\n"
         "│ [ OK │\n"
         "└──────┘\n"},
    };
    for (const auto& c : cases) {
        BoxLayout box = LayOutBox(text, u"Title", c.width, c.height);
        EXPECT_EQ(Rows(box, 0), c.rows) << c.width << "x" << c.height;
    }
    // The rows of an indented line keep its indent, also the pieces of a word cut to fit.
    const struct {
        const char16_t* line;
        size_t width;
        std::vector<std::u16string> body;
    } indented[] = {
        {u"    indented words wrap", 20, {u"    indented", u"    words wrap"}},
        {u"  abcdefghijklmnop", 12, {u"  abcdef", u"  ghijkl", u"  mnop"}},
        {u"\t/O:\toverwrite", 16, {u"        /O:", u"      overwr", u"      ite"}},
        {u"a\x1b[2J\r\x07\u0085z", 20, {u"a^[[2J^G\uFFFDz"}}, // controls shown, CR dropped
    };
    for (const auto& c : indented)
        EXPECT_EQ(LayOutBox(c.line, u"T", c.width, 24).body, c.body) << ToUtf8(c.line);
    EXPECT_EQ(LayOutBox(u"x", u"T\x1b[2J\n", 20, 24).title,
              std::vector<std::u16string>{u"T^[[2J^J"});
}

TEST(ConsoleText, KeysInTheBox) {
    // Ten lines, four shown at a time.
    BoxLayout box = LayOutBox(u"0\n1\n2\n3\n4\n5\n6\n7\n8\n9", u"T", 20, 11);
    ASSERT_EQ(box.visible, 4u);
    struct Case {
        int key;
        int modifiers;
        size_t topBefore;
        BoxAnswer answer;
        size_t topAfter;
    };
    const Case cases[] = {
        {kKeyEnter, 0, 3, BoxAnswer::kClose, 3},
        {kKeyEsc, 0, 0, BoxAnswer::kClose, 0},
        {LetterKey('C'), kCtrlBit, 0, BoxAnswer::kLeave, 0}, // Ctrl-C
        {LetterKey('C'), 0, 0, BoxAnswer::kStay, 0},
        {kKeyDown, 0, 0, BoxAnswer::kStay, 1},
        {kKeyDown, 0, 6, BoxAnswer::kStay, 6},
        {kKeyUp, 0, 0, BoxAnswer::kStay, 0},
        {kKeyPgDn, 0, 1, BoxAnswer::kStay, 5},
        {kKeyPgDn, 0, 5, BoxAnswer::kStay, 6},
        {kKeyPgUp, 0, 3, BoxAnswer::kStay, 0},
        {kKeyEnd, 0, 0, BoxAnswer::kStay, 6},
        {kKeyHome, 0, 6, BoxAnswer::kStay, 0},
    };
    for (const auto& c : cases) {
        size_t top = c.topBefore;
        DecodedInput item{InputKind::kKey, 1, 0, c.key, c.modifiers};
        EXPECT_EQ(BoxKey(box, item, &top), c.answer) << c.key;
        EXPECT_EQ(top, c.topAfter) << c.key;
    }
    size_t top = 2;
    DecodedInput typed{InputKind::kText, 1, U'q', 0, 0};
    EXPECT_EQ(BoxKey(box, typed, &top), BoxAnswer::kStay);
    EXPECT_EQ(top, 2u);
}

// Paged output on a terminal of 4 rows and 10 columns stops before it would reach the last row;
// the note there is erased once the answer came. The host's output elsewhere is never paged.
TEST(ConsoleText, PagedOutputStopsAtEachFullPage) {
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
