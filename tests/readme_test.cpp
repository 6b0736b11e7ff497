// What README.md quotes, against the program: the messages and outputs of the user guide, and the
// console's built-in commands and edit keys. A quote the program no longer prints fails here, and
// so does a new quote of a message that no row checks.
#include <algorithm>
#include <cctype>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "command/command.h"
#include "console/session/commands.h"
#include "console/session/session.h"
#include "plugin/lifecycle.h"
#include "tests/plugin/world.h"

namespace {

using Readme = World;

std::string ReadmeText() {
    std::ifstream file(TORVANE_TESTS_DIR "/../README.md", std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The user guide: the part between the marker comments.
std::string Guide(const std::string& readme) {
    const std::string begin = "<!-- user guide begins -->";
    size_t start = readme.find(begin);
    size_t end = readme.find("<!-- user guide ends -->");
    if (start == std::string::npos || end == std::string::npos) return "";
    return readme.substr(start + begin.size(), end - start - begin.size());
}

// The code spans of text, as Markdown reads them: a run of backticks opens one, and the next run
// of as many closes it.
std::vector<std::string> CodeSpans(const std::string& text) {
    std::vector<std::string> spans;
    for (size_t at = text.find('`'); at != std::string::npos;) {
        size_t after = text.find_first_not_of('`', at);
        if (after == std::string::npos) break;
        size_t ticks = after - at;
        std::string fence(ticks, '`');
        size_t close = text.find(fence, at + ticks);
        while (close != std::string::npos && text.find_first_not_of('`', close) != close + ticks)
            close = text.find(fence, text.find_first_not_of('`', close));
        if (close == std::string::npos) break;
        spans.push_back(text.substr(at + ticks, close - at - ticks));
        at = text.find('`', close + ticks);
    }
    return spans;
}

// The fenced code blocks of text, without their fences. A block inside a list item is indented
// as far as its fence; that indent is not part of it.
std::vector<std::string> CodeBlocks(const std::string& text) {
    std::vector<std::string> blocks;
    std::istringstream lines(text);
    std::string line, block;
    size_t indent = std::string::npos; // the open fence's; npos outside a block
    while (std::getline(lines, line)) {
        size_t first = line.find_first_not_of(' ');
        bool fence = first != std::string::npos && line.compare(first, 3, "```") == 0;
        if (fence && indent != std::string::npos) {
            blocks.push_back(block);
            indent = std::string::npos;
        } else if (fence) {
            block.clear();
            indent = first;
        } else if (indent != std::string::npos) {
            block += line.substr(std::min({indent, first, line.size()})) + "\n";
        }
    }
    return blocks;
}

// The paragraph of text (between blank lines) that holds anchor; empty when none does.
std::string ParagraphWith(const std::string& text, const std::string& anchor) {
    size_t at = text.find(anchor);
    if (at == std::string::npos) return "";
    size_t start = text.rfind("\n\n", at);
    size_t end = text.find("\n\n", at);
    start = start == std::string::npos ? 0 : start + 2;
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// Whether word stands in text on its own: not inside a longer name such as "Ctrl-Left".
bool HasWord(const std::string& text, const std::string& word) {
    auto partOfName = [](char ch) {
        return std::isalnum(static_cast<unsigned char>(ch)) || ch == '-';
    };
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        size_t after = at + word.size();
        if ((at == 0 || !partOfName(text[at - 1])) &&
            (after == text.size() || !partOfName(text[after])))
            return true;
    }
    return false;
}

// Program output as the guide shows it: line feeds only, no empty lines at either end, and the
// version as a placeholder, since the guide shows the version of its day.
std::string AsShown(const std::string& text) {
    std::string shown = std::regex_replace(text, std::regex("\r\n"), "\n");
    shown = std::regex_replace(shown, std::regex("v[0-9]+\\.[0-9]+\\.[0-9]+"), "v{version}");
    size_t first = shown.find_first_not_of('\n');
    size_t last = shown.find_last_not_of('\n');
    return first == std::string::npos ? "" : shown.substr(first, last - first + 1);
}

// What one TORVANE command shows: its standard output and error, and the names of the values it
// saved for the user. Saving for the machine is refused with code 5, as without the rights.
std::string Shown(const char16_t* arguments) {
    ResetWorld();
    StandInRegistryFailCreate(kRootLocalMachine, kErrorAccessDenied);
    Torvane(arguments);
    std::string shown = ToUtf8(HostStdout()) + ToUtf8(HostStderr());
    for (const std::u16string& name : StandInRegistryValueNames(kRootCurrentUser, SettingsKeyPath))
        shown += ToUtf8(name) + "\n";
    return shown;
}

// A quote of the guide: a code span that starts with a capital and holds a blank. Key names,
// options and commands do not.
bool IsQuote(const std::string& span) {
    return !span.empty() && span[0] >= 'A' && span[0] <= 'Z' && span.find(' ') != std::string::npos;
}

TEST_F(Readme, EveryMessageTheGuideQuotesIsOneTheCommandShows) {
    struct Quote {
        const char* text;
        const char16_t* arguments; // a command line that shows it
    };
    const Quote quotes[] = {
        {"Access is denied.", u"/S!"}, {"Beep on error", u"/S"},
        {"Break at slash", u"/S"},     {"Can\u2019t combine /L with other options", u"/L F3"},
        {"Invalid hotkey", u"Ctrl-C"}, {"Keep old args", u"/S"},
        {"Key not allowed", u"A"},     {"Syntax error", u"F3 F4"},
        {"Unknown key name", u"foo"},
    };
    std::set<std::string> quoted, checked;
    for (const std::string& span : CodeSpans(Guide(ReadmeText())))
        if (IsQuote(span)) quoted.insert(span);
    for (const Quote& q : quotes) {
        SCOPED_TRACE(q.text);
        checked.insert(q.text);
        EXPECT_NE(Shown(q.arguments).find(q.text), std::string::npos);
    }
    EXPECT_EQ(quoted, checked) << "each quote of the guide needs a row here";
}

TEST_F(Readme, TheGuidesOutputBlocksAreWhatThePluginPrints) {
    struct Block {
        const char* start; // the block of the guide that starts so
        std::string (*output)();
    };
    const Block blocks[] = {
        {"Torvane v",
         [] {
             HostSetVariable(u"_transient", u"0");
             HostSetVariable(u"_pipe", u"0");
             InitializePlugin();
             return ToUtf8(HostStdout());
         }},
        {"TORVANE /A:", [] { return Shown(u"/?"); }},
        {"       Torvane v", [] { return Shown(u""); }},
    };
    const std::vector<std::string> guideBlocks = CodeBlocks(Guide(ReadmeText()));
    for (const Block& b : blocks) {
        SCOPED_TRACE(b.start);
        ResetWorld();
        auto found = std::find_if(guideBlocks.begin(), guideBlocks.end(),
                                  [&](const std::string& g) { return g.rfind(b.start, 0) == 0; });
        ASSERT_NE(found, guideBlocks.end());
        EXPECT_NE(AsShown(b.output()).find(AsShown(*found)), std::string::npos) << *found;
    }
}

TEST_F(Readme, TryItNamesEveryBuiltInCommandAndEditKey) {
    const std::string readme = ReadmeText();
    const std::string commands = ParagraphWith(readme, "The console is a stand-in, not a shell");
    std::string names = ToUtf8(BuiltInCommandNames()) + ", ";
    for (size_t at = 0, end; (end = names.find(", ", at)) != std::string::npos; at = end + 2) {
        std::string name = names.substr(at, end - at);
        SCOPED_TRACE(name);
        EXPECT_TRUE(commands.find("`" + name + "`") != std::string::npos ||
                    commands.find("`" + name + " ") != std::string::npos);
    }
    const std::string keys = ParagraphWith(readme, "The edit line is the host's");
    for (const std::u16string& key : SessionEditKeyNames())
        EXPECT_TRUE(HasWord(keys, ToUtf8(key))) << ToUtf8(key);
}

} // namespace
