// Every hotkey of both key tables is reachable from the console: the key as the console reports
// it, with the modifier keys it holds, is the hotkey as the plug-in sees it.
#include <iterator>

#include "console/session/host_keys.h"
#include "keys/key_tables.h"
#include "world.h"

namespace {

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

TEST_F(World, ConsoleReachesEveryLegacyHotkey) {
    CheckEveryHotkey(false);
}

TEST_F(World, ConsoleReachesEveryExtendedHotkey) {
    CheckEveryHotkey(true);
}

// Keys outside the tables' columns or marked invalid never set off a hotkey of another key.
TEST_F(World, ConsoleReportsDoNotHitOtherHotkeys) {
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
