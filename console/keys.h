// The console's keyboard: each key turned into the report the host gives the plug-in (a key code,
// or on newer hosts sometimes a key name) together with the modifier keys held.
#pragma once

#include <cstddef>
#include <cstdint>

#include "keys/key_tables.h"
#include "keys/modifiers.h"

// Rows of the console key table, in table order.
enum ConsoleKey : int {
    kKeyF1,
    kKeyF2,
    kKeyF3,
    kKeyF4,
    kKeyF5,
    kKeyF6,
    kKeyF7,
    kKeyF8,
    kKeyF9,
    kKeyF10,
    kKeyF11,
    kKeyF12,
    kKeyHome,
    kKeyEnd,
    kKeyPgUp,
    kKeyPgDn,
    kKeyIns,
    kKeyDel,
    kKeyUp,
    kKeyDown,
    kKeyLeft,
    kKeyRight,
    kKeyA, // A to Z follow in order
    kKeyZ = kKeyA + 25,
    kKey1, // 1 to 9, then 0
    kKey0 = kKey1 + 9,
    kKeyBackspace,
    kKeyGrave,
    kKeyMinus,
    kKeyPlus,
    kKeyEnter,
    kKeyLeftBracket,
    kKeyRightBracket,
    kKeyBackslash,
    kKeySemicolon,
    kKeyApostrophe,
    kKeyComma,
    kKeyDecimal,
    kKeyDivide,
    kKeyTab,
    kKeyEsc,
    kConsoleKeyCount
};

// Columns of the console key table: the extended key table's seven. Shift with Alt has no column
// of its own; the host reports it as the Alt combination.
constexpr size_t kConsoleColumns = kExtendedColumns;

// A cell flag: a host that reports keys by name (major version 24 and up) reports this
// combination by name; the code beside the flag is what an older host reports (0: nothing).
constexpr int32_t kByName = 0x40000000;

// One key: the name a newer host gives it and, per column, the code the host reports. For the
// combined columns that is the code of the key with one modifier; the plug-in adds the bits of
// the combination from the keyboard state. 0: the host reports nothing for the combination.
struct ConsoleKeyRow {
    const char16_t* name;
    int32_t cells[kConsoleColumns];
};

extern const ConsoleKeyRow ConsoleKeyTable[kConsoleKeyCount];

// The column for a modifier state; Shift with Alt counts as Alt.
size_t ConsoleColumn(int modifiers);

// What the host hands the plug-in for one key.
struct KeyReport {
    bool reported;        // false: the host has no report for this combination
    int32_t keyCode;      // 0 when reported by name
    char16_t keyName[40]; // the key's name with its modifiers; empty for text
    int modifiers;        // the keyboard state during the call
};

// The report for a key with modifiers, on an older (extendedHost false) or newer host.
KeyReport ReportKey(int key, int modifiers, bool extendedHost);

// The report for one UTF-16 unit of typed text.
KeyReport ReportText(char16_t unit);

// The key's name with its modifiers, as the console shows it, e.g. "Ctrl-Shift-F3".
void ConsoleKeyName(int key, int modifiers, char16_t* out, size_t capacity);
