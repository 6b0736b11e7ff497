// The help box laid out for terminals of every size and the keys it takes, and the pager of long
// output waiting for its keys while text typed ahead stays for the edit line.
#include "console/terminal/help_box.h"
#include "console/terminal/keyboard.h"
#include "console/terminal/transcript_screen.h"
#include "standins/utf8.h"
#include "tests/console/terminal/typed_input.h"

namespace {

// The help box's rows as text, one per line.
std::string Rows(const BoxLayout& box, size_t top) {
    std::string out;
    for (const std::u16string& row : BoxRows(box, top))
        out += ToUtf8(row) + "\n";
    return out;
}

TEST(ConsoleTerminalHelpBox, TheBoxFitsTheTerminal) {
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

TEST(ConsoleTerminalHelpBox, KeysInTheBox) {
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

// The box takes its keys and closes at Enter or Esc; a paste, begun before the box came up or
// while it is up, closes it and stays whole for the edit line, its end mark included.
TEST(ConsoleTerminalHelpBox, TheBoxLeavesAPasteToTheLine) {
    struct Case {
        std::string typed;
        std::vector<std::string> left; // the items the edit line reads afterwards
    };
    const Case cases[] = {
        {"x\x1b[B\r", {}},
        {"\x1b", {}},
        {"\r\r", {"Enter"}},
        {"x\x1b[201~y", {"paste end", "y"}},
        {"\x1b[200~a\r\x1b[201~", {"paste begin", "a", "Enter", "paste end"}},
    };
    for (const auto& c : cases) {
        int fds[2];
        KeyReader reader = PipeReader(fds);
        Write(fds[1], c.typed);
        close(fds[1]);
        std::string shown;
        ByteSink sink = [&](const char* bytes, size_t length) { shown.append(bytes, length); };
        std::unique_ptr<Screen> screen = MakeTranscriptScreen(sink, sink);
        HelpBoxTerminal terminal{screen.get(), &reader, [] {}, [] {}};
        ShowHelpBox(terminal, u"text", u"T");
        std::vector<std::string> items;
        ReadItems(&reader, -1, &items);
        items.pop_back(); // the end
        EXPECT_EQ(items, c.left) << c.typed;
        close(fds[0]);
    }
}

// The pager takes single pager keys; a paste and text typed ahead end its wait and stay for the
// edit line. ahead is there when the page fills; each part of later comes a pause after the last.
TEST(ConsoleTerminalHelpBox, ThePagerTakesItsKeysAndLeavesTypedAheadText) {
    struct Case {
        std::string ahead;
        std::vector<std::string> later;
        More answer;
        std::vector<std::string> left; // the items the edit line reads afterwards
    };
    const Case cases[] = {
        {"", {"\x1b"}, More::kStop, {}},
        {"", {"x", "\x1b[A", "\r"}, More::kLine, {}}, // other single keys do nothing
        {"", {" q"}, More::kPage, {"q"}},             // pager keys at once are each the pager's
        {"\r\r", {}, More::kLine, {"Enter"}},         // and so are those typed ahead
        {"\x1b[?1;2c ", {}, More::kPage, {}},         // a reply is no key
        {"dir\r", {}, More::kRest, {"d", "i", "r", "Enter"}},
        {"x", {}, More::kRest, {"x"}},
        {"", {"ls\r"}, More::kRest, {"l", "s", "Enter"}},
        {"", {"\x1b[200~\r\x1b[201~"}, More::kRest, {"paste begin", "Enter", "paste end"}},
        {"", {"\x1b[201~"}, More::kRest, {"paste end"}}, // the end of a paste begun before
    };
    for (const auto& c : cases) {
        int fds[2];
        KeyReader reader = PipeReader(fds);
        Write(fds[1], c.ahead);
        std::thread later = TypeLater(fds[1], c.later, true);
        bool left = false;
        HelpBoxTerminal terminal{nullptr, &reader, [] {}, [&] { left = true; }};
        EXPECT_EQ(WaitForMore(terminal), c.answer) << c.ahead << " " << c.later.size();
        later.join();
        std::vector<std::string> items;
        ReadItems(&reader, -1, &items);
        items.pop_back(); // the end
        EXPECT_EQ(items, c.left) << c.ahead << " " << c.later.size();
        EXPECT_FALSE(left);
        close(fds[0]);
    }
}

} // namespace
