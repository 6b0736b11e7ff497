#include <string>
#include <vector>

#include "command/help.h"
#include "keys/key_names.h"
#include "plugin/version.h"
#include "standins/ui.h"
#include "world.h"

namespace {

using CommandHelp = World;

constexpr size_t kUsageOffset = 52; // line 1 and the two line feeds after it

TEST_F(CommandHelp, HelpTextHasItsNineteenLines) {
    const std::u16string lines[] = {
        u"Display or change settings for the Torvane plugin.",
        u"",
        u"TORVANE /A: /B: /D /K: /L /O: /Q /R /S hotkey\r",
        u"",
        u"\t/A:\tbreak at first unquoted slash (Y or N)",
        u"\t/B:\tbeep on errors (Y or N)",
        u"\t/D\trestore original plugin defaults",
        u"\t/K:\tkeep old arguments (Y or N)",
        u"\t/L\tlist all supported hotkeys",
        u"\t/O:\toverwrite any text right of the cursor (Y or N)  ",
        u"\t/Q\tquietly",
        u"\t/R\trestore saved settings from the registry",
        u"\t/S\tsave settings to the registry as the new default  ",
        u"",
        u"Examples of valid keys are F3, Ctrl-Q, Alt-A, or Shift-F10.  The",
        u"default is F3.  /D and /R cannot be used together; /L cannot be",
        u"combined with any other option.",
        u"",
        u"TORVANE with no options displays the current settings.",
    };
    const std::u16string text = HelpText;
    EXPECT_EQ(text.size(), 659u);
    std::vector<std::u16string> found;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(u'\n', start);
        ASSERT_NE(end, std::u16string::npos) << "the last line ends in a line feed";
        found.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    ASSERT_EQ(found.size(), std::size(lines));
    for (size_t n = 0; n < found.size(); ++n)
        EXPECT_EQ(found[n], lines[n]) << "line " << n + 1;
    EXPECT_EQ(text.find(u'\r'), text.rfind(u'\r')) << "only line 3 ends in CR LF";
}

struct LookupCase {
    std::u16string name;
    int found; // 1 when the name has the command's help
};

const LookupCase kUsageCases[] = {
    {u"TORVANE", 1},
    {u"Torvane", 1},
    {u"torvane", 1},
    {u"tORVANe", 1},
    {u"@x", 0},
    {u"_x", 0},
    {u"key", 0},
    {u"*key", 0},
    {u"torvanex", 0},
    {u"torvan", 0},
    {u"", 0},
    {u"@torvane", 0},
    {u"_torvane", 0},
    {u" torvane", 0},
    {u"torvane ", 0},
    {u"\"torvane\"", 0},
    {u"t\u00D6rvane", 0},
    {u"TORVANE\u00A0", 0},
};

TEST_F(CommandHelp, UsageCopiesTheTextFromItsThirdLine) {
    const std::u16string usage = std::u16string(HelpText).substr(kUsageOffset);
    ASSERT_EQ(usage.size(), 607u);
    ASSERT_EQ(usage.substr(0, 47), u"TORVANE /A: /B: /D /K: /L /O: /Q /R /S hotkey\r\n");
    for (const auto& c : kUsageCases) {
        constexpr size_t kSize = kUsageBufferSize + 8;
        char16_t out[kSize];
        for (char16_t& ch : out)
            ch = u'#';
        // The name in a heap buffer of exactly its size, so that the sanitizers catch a read past
        // its terminator.
        std::vector<char16_t> name(c.name.begin(), c.name.end());
        name.push_back(0);
        EXPECT_EQ(Usage(name.data(), out), c.found) << "name: " << ToUtf8(c.name);
        if (c.found) {
            EXPECT_EQ(std::u16string(out), usage) << "name: " << ToUtf8(c.name);
            EXPECT_EQ(std::u16string(out + 608, kSize - 608), std::u16string(kSize - 608, u'#'))
                << "name: " << ToUtf8(c.name);
        } else {
            EXPECT_EQ(std::u16string(out, kSize), std::u16string(kSize, u'#'))
                << "name: " << ToUtf8(c.name);
        }
    }
    EXPECT_EQ(HostStdout(), u"");
    EXPECT_EQ(StandInMessageBoxes().size(), 0u);
}

TEST_F(CommandHelp, UsageAndHelpRefuseNullArguments) {
    char16_t out[4] = {u'#', u'#', u'#', u'#'};
    EXPECT_EQ(Usage(nullptr, out), 0);
    EXPECT_EQ(Usage(u"torvane", nullptr), 0);
    EXPECT_EQ(std::u16string(out, 4), u"####");
    EXPECT_EQ(Help(nullptr), 0);
    EXPECT_EQ(StandInMessageBoxes().size(), 0u);
}

TEST_F(CommandHelp, HelpShowsTheWholeTextInABox) {
    for (const auto& c : kUsageCases) {
        SCOPED_TRACE("name: " + ToUtf8(c.name));
        StandInUiReset();
        EXPECT_EQ(Help(c.name.c_str()), c.found) << "name: " << ToUtf8(c.name);
        const auto& boxes = StandInMessageBoxes();
        ASSERT_EQ(boxes.size(), static_cast<size_t>(c.found)) << "name: " << ToUtf8(c.name);
        if (c.found) {
            EXPECT_EQ(boxes[0].title, u"Torvane Plugin Help");
            EXPECT_EQ(boxes[0].text, std::u16string(HelpText));
        }
    }
    EXPECT_EQ(HostStdout(), u"");
    EXPECT_EQ(HostStderr(), u"");
}

struct ShowHelpCase {
    bool showVersion;
    std::u16string after; // what follows the help text
};

TEST_F(CommandHelp, CommandHelpShowsTheHotkeyAndOnRequestTheVersion) {
    const ShowHelpCase cases[] = {
        {false, u"\r\nThe current hotkey is F3.\r\n"},
        {true, u"\r\nThe current hotkey is F3.\r\n\r\n\t\t\t\t\tTorvane  " TORVANE_FILE_VERSION_TEXT
               " (x64)\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.showVersion ? "with the version" : "without the version");
        HostClearOutput();
        ShowCommandHelp(c.showVersion);
        EXPECT_EQ(HostStdout(), std::u16string(HelpText) + c.after) << "version " << c.showVersion;
        EXPECT_EQ(HostStderr(), u"");
    }
}

TEST_F(CommandHelp, CommandHelpNamesTheCurrentHotkey) {
    const int32_t hotkeys[] = {0x1003D, 0x10044, 0x7FFFFFF0};
    for (int32_t hotkey : hotkeys) {
        Settings.hotkey = hotkey;
        char16_t name[kKeyNameBufferSize];
        FormatHotkey(name);
        HostClearOutput();
        ShowCommandHelp(false);
        EXPECT_EQ(HostStdout(),
                  std::u16string(HelpText) + u"\r\nThe current hotkey is " + name + u".\r\n")
            << "hotkey " << hotkey;
    }
}

} // namespace
