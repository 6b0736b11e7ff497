#include <algorithm>
#include <climits>
#include <iterator>
#include <vector>

#include "keys/key_names.h"
#include "keys/key_tables.h"
#include "world.h"

namespace {

using KeyNames = World;

struct ParseCase {
    std::u16string text;
    int32_t legacy;
    int32_t extended;
};

// Parses text with either table active and checks both results; the extended parser must agree
// with the extended table whatever the flag says.
void ExpectParses(const std::vector<ParseCase>& cases) {
    for (const ParseCase& c : cases) {
        extendedKeys = false;
        EXPECT_EQ(ParseKeyName(c.text.c_str()), c.legacy) << "legacy: " << ToUtf8(c.text);
        EXPECT_EQ(ParseExtendedKeyName(c.text.c_str()), c.extended) << ToUtf8(c.text);
        extendedKeys = true;
        EXPECT_EQ(ParseKeyName(c.text.c_str()), c.extended) << "extended: " << ToUtf8(c.text);
    }
}

TEST_F(KeyNames, ParseExamples) {
    ExpectParses({
        {u"F3", 0x1003D, 0x1003D},
        {u"ctrl-alt-f3", 0x50060, 0x50060},
        {u"Shift-Ctrl-F3", 0x30056, 0x30056},
        {u"c-a-s-f1", 0, 0x7005E},
        {u"Alt-Shift-F3", 0, 0},
        {u"A-B", 0x10030, 0x10030},
        {u"Ctrl-C", -1, -1},
        {u"s-q", -2, -2},
        {u"-", -2, -2},
        {u"Ctrl--", -1, 0x8BD},
        {u"Alt--", 0x10082, 0x108BD},
        {u"Ctrl-PageUp", 0x10084, 0x10084},
        {u"Ctrl-Grave", -1, 0x860},
        {u"Ctrl-/", -1, 0x835},
        {u"Ctrl-Num-", 0x1004A, 0},
        {u"Num-", -2, 0},
        {u"Enter", 0, -2},
        {u"Shift-Enter", 0, 0x80D},
        {u"Ctrl", 0, 0},
        {u"Ctrl-", 0, 0},
        {u"Foo-F3", 0, 0},
        {u"Ctrl---", 0, 0},
        {u"", 0, 0},
    });
}

// Cells that depart from the usual modifier bits or differ between the tables.
TEST_F(KeyNames, ParseCellsWorthPinning) {
    ExpectParses({
        {u"Alt-B", 0x10030, 0x10030},
        {u"Ctrl-Alt-B", 0x50030, 0x50030},
        {u"Ctrl-Shift-Num+", 0x3004A, 0},
        {u"Ctrl-Enter", 0, 0xC0D},
        {u"Shift-Left", 0x100C8, 0x100C8},
        {u"Ctrl-Shift-Left", 0x300CC, 0x300CC},
        {u"Ctrl-Shift-Right", 0x300CD, 0x300CD},
        {u"Ctrl-Ins", -1, -1},
        {u"Ctrl-Alt-Ins", 0x50092, 0x50092},
        {u"Ctrl-Del", 0x10093, 0x10093},
        {u"Ctrl-Alt-Del", -1, -1},
        {u"Ctrl-M", -1, 0xD},
        {u"Ctrl-Shift-M", 0x2000D, 0x2000D},
        {u"Ctrl-0", -1, 0xEB},
        {u"Ctrl-Alt-0", -1, 0x500EB},
        {u"Ctrl-;", -1, 0x827},
        {u"Ctrl-Alt-Plus", 0, 0x508BB},
    });
}

TEST_F(KeyNames, ParseHyphensThatBelongToTheName) {
    ExpectParses({
        {u"Ctrl-Shift-Num-", 0x3004A, 0},
        {u"Ctrl-Alt-Num-", 0x5004A, 0},
        {u"Alt-Num-", -2, 0},
        {u"--", 0, 0},
        {u"-F3", 0, 0},
        {u"Ctrl--F3", 0, 0},
        {u"Num--", 0, 0},
        {u"Shift--", -2, -2},
    });
}

TEST_F(KeyNames, ParseModifierWords) {
    ExpectParses({
        {u"S", -2, -2},
        {u"a", -2, -2},
        {u"s-F3", 0x10056, 0x10056},
        {u"C-F3", 0x10060, 0x10060},
        {u"ctl-F3", 0x10060, 0x10060},
        {u"Control-F3", 0x10060, 0x10060},
        {u"SHIFT-F3", 0x10056, 0x10056},
        {u"Alt-Ctrl-F3", 0x50060, 0x50060},
        {u"Ctrl-Ctrl-F3", 0x10060, 0x10060},
        {u"Ctrl-Shift-Ctrl-F3", 0x30056, 0x30056},
        {u"Shift-Alt-A", 0, 0},
        {u"a-s-Num*", 0, 0},
        {u"S-A-F1", 0, 0},
        {u"Alt-Shift-Ctrl-F1", 0, 0x7005E},
        {u"Shift-Shift", 0, 0},
        {u"Ctrl-Foo-F3", 0, 0},
        {u"F3-F3", 0, 0},
        {u"PageUp-F3", 0, 0},
        {u"Ctrl-Alt-Shift-B", 0, 0x7003E},
    });
}

TEST_F(KeyNames, ParseFoldsOnlyAsciiCaseAndTrimsNothing) {
    ExpectParses({
        {u"CTRL-F3", 0x10060, 0x10060},
        {u"ctrl-f3", 0x10060, 0x10060},
        {u"Ctrl-K", 0xB, 0xB},
        {u"alt-z", 0x1002C, 0x1002C},
        {u"Ctrl-\u212A", 0, 0}, // Kelvin sign
        {u"Ctrl-\uFF2B", 0, 0}, // fullwidth K
        {u"\u0130-F3", 0, 0},   // dotted capital I is no Alt or Ctrl word
        {u" F3", 0, 0},
        {u"F3 ", 0, 0},
        {u"Ctrl -F3", 0, 0},
        {u"Ctrl- F3", 0, 0},
        {u"F3\t", 0, 0},
    });
}

TEST_F(KeyNames, ParseReplacesAliasesAfterTheModifiers) {
    ExpectParses({
        {u"PageUp", 0x10049, 0x10049},
        {u"ctrl-pageup", 0x10084, 0x10084},
        {u"Ctrl-\u00BD", 0, 0x8BD},
        {u"Alt-\u00DB", 0, 0x1001A},
        {u"Ctrl-Shift-\u00DD", 0, 0x208DD},
        {u"\u00DC", 0, -2},
        {u"Ctrl-Backquote", -1, 0},
        {u"Alt-Backspace", 0x1000E, 0x1000E},
        {u"Alt-BKSP", 0x1000E, 0x1000E},
        {u"Shift-Backspace", -1, 0x87F},
        {u"Ctrl-Minus", -1, 0x8BD},
        {u"Ctrl-Shift-Backslash", -1, 0x208DC},
        {u"Ctrl-Multiply", 0, 0x10037},
        {u"Alt-Dot", 0x10034, 0x10034},
        {u"Alt-.", 0x10034, 0x10034},
        {u"Ctrl-Alt-Semi", 0x50027, 0x50027},
        {u"Alt-+", 0, 0x10083},
        {u"Alt-=", 0x10083, 0x10083},
        {u"Alt-Equals", 0x10083, 0x10083},
        {u"Alt-Slash", 0x10035, 0},
        {u"Ctrl-Alt-Shift-Grave", 0, 0x70860},
    });
}

TEST_F(KeyNames, ParseOverlongSegmentsNameNoKey) {
    const std::u16string x5000(5000, u'x');
    ExpectParses({
        {x5000, 0, 0},
        {x5000 + u"-F3", 0, 0},
        {u"Ctrl-" + x5000, 0, 0},
        {u"F3" + x5000, 0, 0},
        {u"Ctrl" + std::u16string(5000, u'l') + u"-F3", 0, 0},
        {std::u16string(5000, u'-'), 0, 0},
        {Repeated(u"ctrl-", 2000) + u"F3", 0x10060, 0x10060},
    });
}

TEST_F(KeyNames, ParseNullTextNamesNoKey) {
    EXPECT_EQ(ParseKeyName(nullptr), 0);
    EXPECT_EQ(ParseExtendedKeyName(nullptr), 0);
}

struct FormatCase {
    int32_t hotkey;
    bool extended;
    const char16_t* name;
    int result;
};

TEST_F(KeyNames, FormatHotkeyNamesTheLastMatchingCell) {
    const FormatCase cases[] = {
        {0x1003D, false, u"F3", 0},
        {0x1003D, true, u"F3", 0},
        {0x50060, false, u"Ctrl-Alt-F3", 0},
        {0x3004A, false, u"Ctrl-Shift-Num+", 0},
        {0x7003E, true, u"Ctrl-Alt-Shift-B", 0},
        {0x10083, false, u"Alt-=", 0},
        {0x10083, true, u"Alt-Plus", 0},
        {0x10082, false, u"Alt--", 0},
        {0x860, true, u"Ctrl-\u0060", 0},
        {0x70060, false, u"(unknown)", -1},
        {0x3004E, true, u"(unknown)", -1},
        {0, false, u"(unknown)", -1},
        {-1, false, u"(unknown)", -1},
        {-2, true, u"(unknown)", -1},
    };
    for (const FormatCase& c : cases) {
        Settings.hotkey = c.hotkey;
        extendedKeys = c.extended;
        char16_t buffer[kKeyNameBufferSize];
        std::fill(std::begin(buffer), std::end(buffer), u'x');
        EXPECT_EQ(FormatHotkey(buffer), c.result) << std::hex << c.hotkey;
        EXPECT_EQ(std::u16string(buffer), c.name) << std::hex << c.hotkey;
    }
    EXPECT_EQ(FormatHotkey(nullptr), -1);
}

struct ValidCase {
    int32_t code;
    bool legacy;
    bool extended;
};

TEST_F(KeyNames, IsValidHotkeyOverTheActiveTable) {
    const ValidCase cases[] = {
        {0x1003D, true, true},     {0x70060, false, true},    {0x3004E, false, false},
        {0x3004A, true, false},    {0xD, false, true},        {0x1004A, true, false},
        {0, false, false},         {-1, false, false},        {-2, false, false},
        {INT32_MAX, false, false}, {INT32_MIN, false, false},
    };
    for (const ValidCase& c : cases) {
        extendedKeys = false;
        EXPECT_EQ(IsValidHotkey(c.code), c.legacy) << std::hex << c.code;
        extendedKeys = true;
        EXPECT_EQ(IsValidHotkey(c.code), c.extended) << std::hex << c.code;
    }
}

// The listing split into lines; every QPuts of a line must be followed by one of "\r\n".
std::vector<std::u16string> ListedLines() {
    HostClearOutput();
    ListHotkeys(QPuts);
    const std::vector<std::u16string>& calls = HostPutsCalls();
    std::vector<std::u16string> lines;
    for (size_t i = 0; i < calls.size(); i += 2) {
        lines.push_back(calls[i]);
        EXPECT_TRUE(i + 1 < calls.size() && calls[i + 1] == u"\r\n") << "after line " << i / 2;
    }
    return lines;
}

std::vector<std::u16string> Entries(const std::u16string& line) {
    std::vector<std::u16string> entries;
    const std::u16string separator = u" \u00B7 ";
    size_t start = 0;
    for (size_t at; (at = line.find(separator, start)) != std::u16string::npos;) {
        entries.push_back(line.substr(start, at - start));
        start = at + separator.size();
    }
    entries.push_back(line.substr(start));
    return entries;
}

struct ListingCase {
    bool extended;
    size_t lines;
    size_t longest;
    std::vector<std::pair<size_t, std::u16string>> exact; // row index, line
};

TEST_F(KeyNames, ListHotkeysWritesOneLinePerRow) {
    const ListingCase cases[] = {
        {false,
         74,
         80,
         {{0, u"F1 \u00B7 Shift-F1 \u00B7 Ctrl-F1 \u00B7 Alt-F1 \u00B7 Ctrl-Shift-F1 \u00B7 "
              u"Ctrl-Alt-F1"},
          {24, u"Alt-C \u00B7 Ctrl-Alt-C"},
          {70, u"Ctrl-Shift-Num/"},
          {73, u"Ctrl-Num+ \u00B7 Ctrl-Shift-Num+ \u00B7 Ctrl-Alt-Num+"}}},
        {true,
         72,
         119,
         {{0, u"F1 \u00B7 Shift-F1 \u00B7 Ctrl-F1 \u00B7 Alt-F1 \u00B7 Ctrl-Shift-F1 \u00B7 "
              u"Ctrl-Alt-F1 \u00B7 Ctrl-Alt-Shift-F1"},
          {22, u"Ctrl-A \u00B7 Alt-A \u00B7 Ctrl-Shift-A \u00B7 Ctrl-Alt-A \u00B7 "
               u"Ctrl-Alt-Shift-A"}}},
    };
    for (const ListingCase& c : cases) {
        SCOPED_TRACE(c.extended ? "extended table" : "legacy table");
        extendedKeys = c.extended;
        std::vector<std::u16string> lines = ListedLines();
        ASSERT_EQ(lines.size(), c.lines);
        size_t longest = 0;
        std::u16string all;
        for (const std::u16string& line : lines) {
            EXPECT_FALSE(line.empty());
            EXPECT_EQ(line.find(u'\n'), std::u16string::npos);
            longest = std::max(longest, line.size());
            all += line + u"\r\n";
        }
        EXPECT_EQ(longest, c.longest);
        for (const auto& [row, text] : c.exact)
            EXPECT_EQ(lines[row], text) << row;
        EXPECT_EQ(HostStdout(), all) << "nothing before or after the lines";
    }
}

TEST_F(KeyNames, EveryListedNameParsesBackToItsCell) {
    for (bool extended : {false, true}) {
        SCOPED_TRACE(extended ? "extended table" : "legacy table");
        extendedKeys = extended;
        const KeyTable& table = ActiveKeyTable();
        std::vector<std::u16string> lines = ListedLines();
        ASSERT_EQ(lines.size(), table.rowCount);
        for (size_t row = 0; row < table.rowCount; ++row) {
            std::vector<std::u16string> entries = Entries(lines[row]);
            size_t entry = 0;
            for (size_t column = 0; column < table.columnCount; ++column) {
                int32_t code = table.rows[row].codes[column];
                if (code <= 0) continue;
                ASSERT_LT(entry, entries.size()) << "row " << row;
                EXPECT_EQ(ParseKeyName(entries[entry].c_str()), code) << ToUtf8(entries[entry]);
                ++entry;
            }
            EXPECT_EQ(entry, entries.size()) << "row " << row;
        }
    }
}

TEST_F(KeyNames, EveryFormattedHotkeyParsesBackToItsCode) {
    for (bool extended : {false, true}) {
        extendedKeys = extended;
        const KeyTable& table = ActiveKeyTable();
        for (size_t row = 0; row < table.rowCount; ++row) {
            for (size_t column = 0; column < table.columnCount; ++column) {
                Settings.hotkey = table.rows[row].codes[column];
                if (Settings.hotkey <= 0) continue;
                SCOPED_TRACE(ToUtf8(ModifierPrefixes[column]) + ToUtf8(table.rows[row].name));
                EXPECT_TRUE(IsValidHotkey(Settings.hotkey));
                char16_t name[kKeyNameBufferSize];
                ASSERT_EQ(FormatHotkey(name), 0);
                EXPECT_EQ(ParseKeyName(name), Settings.hotkey) << ToUtf8(name);
            }
        }
    }
}

} // namespace
