// What the host reports to the plug-in for each key of the console, and that every hotkey of both
// key tables is reachable from the console.
#include <string>

#include "console/session/host_keys.h"
#include "keys/key_tables.h"
#include "standins/utf8.h"
#include "tests/plugin/world.h"

namespace {

using ConsoleSessionHostKeys = World;

struct ReportCase {
    int key;
    int modifiers;
    bool extendedHost;
    bool reported;
    int32_t keyCode;
    const char16_t* keyName;
};

constexpr int kS = kShiftBit;
constexpr int kC = kCtrlBit;
constexpr int kA = kAltBit;

TEST_F(ConsoleSessionHostKeys, CodesAndNamesPerHostGeneration) {
    const ReportCase cases[] = {
        {kKeyF3, 0, false, true, 0x1003D, u"F3"},
        {kKeyF3, kS, false, true, 0x10056, u"Shift-F3"},
        {kKeyF3, kC, false, true, 0x10060, u"Ctrl-F3"},
        {kKeyF3, kA, false, true, 0x1006A, u"Alt-F3"},
        // Combinations: the code of the key with one modifier; the plug-in adds the rest.
        {kKeyF3, kC | kS, false, true, 0x10056, u"Ctrl-Shift-F3"},
        {kKeyF3, kC | kA, false, true, 0x10060, u"Ctrl-Alt-F3"},
        {kKeyF1, kC | kA | kS, true, true, 0x1005E, u"Ctrl-Alt-Shift-F1"},
        {kKeyF3, kA | kS, false, true, 0x1006A, u"Alt-F3"},
        {LetterKey('Q'), kC, false, true, 0x11, u"Ctrl-Q"},
        {LetterKey('Q'), kC | kS, false, true, 0x11, u"Ctrl-Shift-Q"},
        {kKeyA, kC | kA, false, true, 0x1001E, u"Ctrl-Alt-A"},
        {kKeyLeft, kC | kS, false, true, 0x100CC, u"Ctrl-Shift-Left"},
        {kKeyEnter, 0, false, true, 13, u"Enter"},
        {kKeyEnter, 0, true, true, 13, u"Enter"},
        {kKeyEnter, kS, false, true, 13, u"Shift-Enter"},
        {kKeyEnter, kS, true, true, 0, u"Shift-Enter"},
        {kKeyEnter, kA, true, true, 0, u"Alt-Enter"},
        {kKeyBackspace, 0, false, true, 8, u"Backspace"},
        {kKeyBackspace, kS, false, true, 8, u"Shift-Backspace"},
        {kKeyBackspace, kS, true, true, 0, u"Shift-Backspace"},
        {kKey1, kC, false, false, 0, u"Ctrl-1"},
        {kKey1, kC, true, true, 0, u"Ctrl-1"},
        {kKeyBackslash, kC, false, true, 0x1C, u"Ctrl-\\"},
        {kKeyBackslash, kC, true, true, 0, u"Ctrl-\\"},
        {kKeyGrave, kA, false, true, 0x10029, u"Alt-`"},
        {kKeyGrave, kA, true, true, 0, u"Alt-`"},
        {LetterKey('B'), kC | kA | kS, false, true, 0x10030, u"Ctrl-Alt-Shift-B"},
        {LetterKey('B'), kC | kA | kS, true, true, 0, u"Ctrl-Alt-Shift-B"},
        {kKeyHome, kA, false, false, 0, u"Alt-Home"},
        {LetterKey('C'), kC, false, false, 0, u"Ctrl-C"},
        {kKeyTab, 0, false, true, 9, u"Tab"},
        {kKeyEsc, 0, true, true, 27, u"Esc"},
    };
    for (const auto& c : cases) {
        HostKeyReport report = HostReportOfKey(c.key, c.modifiers, c.extendedHost);
        std::string what = ToUtf8(c.keyName) + (c.extendedHost ? " (newer host)" : "");
        EXPECT_EQ(report.reported, c.reported) << what;
        EXPECT_EQ(report.keyCode, c.keyCode) << what;
        EXPECT_EQ(std::u16string(report.keyName), c.keyName) << what;
        EXPECT_EQ(report.modifiers, c.modifiers) << what;
    }
}

TEST_F(ConsoleSessionHostKeys, TextIsReportedByItsCodeUnit) {
    const char16_t units[] = {u'a', u'A', u' ', 0xE9, 0x4E2D, 0xD83D, 0xDE00};
    for (char16_t unit : units) {
        HostKeyReport report = HostReportOfText(unit);
        EXPECT_TRUE(report.reported);
        EXPECT_EQ(report.keyCode, unit);
        EXPECT_EQ(report.keyName[0], 0);
        EXPECT_EQ(report.modifiers, 0);
    }
}

TEST_F(ConsoleSessionHostKeys, OutOfRangeKeysReportNothing) {
    EXPECT_FALSE(HostReportOfKey(-1, 0, false).reported);
    EXPECT_FALSE(HostReportOfKey(kConsoleKeyCount, 0, true).reported);
    char16_t name[8] = u"x";
    ConsoleKeyName(kConsoleKeyCount, 0, name, 8);
    EXPECT_EQ(name[0], 0);
}

TEST_F(ConsoleSessionHostKeys, ColumnsOfModifierStates) {
    const size_t expected[8] = {0, 1, 2, 4, 3, 3, 5, 6};
    for (int state = 0; state < 8; ++state)
        EXPECT_EQ(HostKeyColumn(state), expected[state]) << "state " << state;
}

TEST_F(ConsoleSessionHostKeys, ShownNamesListTheKeysHeld) {
    struct Case {
        int modifiers;
        const char16_t* name;
    };
    const Case cases[] = {
        {0, u"F3"},
        {kShiftBit, u"Shift-F3"},
        {kCtrlBit, u"Ctrl-F3"},
        {kCtrlShiftState, u"Ctrl-Shift-F3"},
        {kAltBit, u"Alt-F3"},
        {kAltBit | kShiftBit, u"Alt-Shift-F3"}, // no column of its own, still shown as held
        {kCtrlAltState, u"Ctrl-Alt-F3"},
        {kCtrlAltShiftState, u"Ctrl-Alt-Shift-F3"},
        {8 | kAltBit, u"Alt-F3"}, // bits beyond the three keys are no key
    };
    for (const auto& c : cases) {
        char16_t name[48];
        ConsoleKeyName(kKeyF3, c.modifiers, name, 48);
        EXPECT_EQ(std::u16string(name), c.name) << "modifiers " << c.modifiers;
    }
}

// The legacy table's name for a console key, where the two differ.
const char16_t* LegacyName(const char16_t* name) {
    struct Rename {
        const char16_t* console;
        const char16_t* legacy;
    };
    constexpr Rename kRenames[] = {
        {u"Backspace", u"BkSp"}, {u"`", u"Grave"},   {u"Minus", u"-"},
        {u"Plus", u"="},         {u"Decimal", u"."}, {u"Divide", u"/"},
    };
    for (const auto& r : kRenames)
        if (TextEquals(r.console, name)) return r.legacy;
    return name;
}

const KeyRow* FindRow(const KeyTable& table, const char16_t* name) {
    for (size_t i = 0; i < table.rowCount; ++i)
        if (TextEquals(table.rows[i].name, name)) return &table.rows[i];
    return nullptr;
}

// The modifier keys that make each column of the key tables.
constexpr int kStateOfColumn[kMaxColumns] = {
    0, kShiftBit, kCtrlBit, kAltBit, kCtrlShiftState, kCtrlAltState, kCtrlAltShiftState,
};

// Presses the console key with the modifiers; true when the plug-in took it as the hotkey.
bool PressIsHotkey(int consoleKey, int modifiers, bool extendedHost, std::string* detail) {
    HostKeyReport report = HostReportOfKey(consoleKey, modifiers, extendedHost);
    if (!report.reported) {
        *detail = "not reported";
        return false;
    }
    EditLine line(u"x", report.keyCode);
    if (extendedHost) line.SetName(report.keyName);
    StandInSetModifiers(report.modifiers);
    key(&line.record);
    StandInSetModifiers(0);
    *detail =
        "reported as code " + std::to_string(report.keyCode) + " name " + ToUtf8(report.keyName);
    if (report.keyCode == 0) return line.name[0] == 0;
    return line.record.keyCode == 0;
}

void CheckEveryHotkey(bool extended) {
    extendedKeys = extended;
    HostVersion = extended ? kFirstHostVersionWithKeyNames : kFirstHostVersionWithKeyNames - 1;
    const KeyTable& table = extended ? ExtendedKeyTable : LegacyKeyTable;
    int checked = 0;
    for (int key = 0; key < kConsoleKeyCount; ++key) {
        const char16_t* name = HostKeyTable[key].name;
        const KeyRow* row = FindRow(table, extended ? name : LegacyName(name));
        if (row == nullptr) continue;
        for (size_t column = 0; column < table.columnCount; ++column) {
            int32_t code = row->codes[column];
            if (code <= 0 || code == 13) continue; // 13 always goes to capture
            Settings.hotkey = code;
            std::string detail;
            EXPECT_TRUE(PressIsHotkey(key, kStateOfColumn[column], extended, &detail))
                << ToUtf8(ModifierPrefixes[column]) << ToUtf8(row->name) << " (0x" << std::hex
                << code << std::dec << ") " << detail;
            ++checked;
        }
    }
    // Every key of the tables but the numeric pad's has a console row.
    EXPECT_EQ(checked, extended ? 378 : 250);
}

TEST_F(ConsoleSessionHostKeys, ConsoleReachesEveryLegacyHotkey) {
    CheckEveryHotkey(false);
}

TEST_F(ConsoleSessionHostKeys, ConsoleReachesEveryExtendedHotkey) {
    CheckEveryHotkey(true);
}

// Keys outside the tables' columns or marked invalid never set off a hotkey of another key.
TEST_F(ConsoleSessionHostKeys, ConsoleReportsDoNotHitOtherHotkeys) {
    struct Case {
        int key;
        int modifiers;
        bool extended;
        int32_t hotkey;
    };
    const Case cases[] = {
        {kKeyF3, kCtrlBit | kShiftBit, false, 0x1003D}, // Ctrl-Shift-F3 is not F3
        {kKeyF3, kAltBit | kShiftBit, false, 0x30056},
        {kKeyEnter, kShiftBit, true, 0x2000D},
        {LetterKey('B'), kCtrlBit | kAltBit | kShiftBit, false, 0x1003E}, // not F4
        {LetterKey('B'), kCtrlBit | kAltBit | kShiftBit, true, 0x1003E},
        {kKeyGrave, kAltBit, true, 0x10029},
    };
    for (const auto& c : cases) {
        extendedKeys = c.extended;
        Settings.hotkey = c.hotkey;
        std::string detail;
        EXPECT_FALSE(PressIsHotkey(c.key, c.modifiers, c.extended, &detail))
            << "key " << c.key << " modifiers " << c.modifiers << " " << detail;
    }
}

} // namespace
