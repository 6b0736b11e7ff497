// The two key tables that translate between key names and host key codes, and the modifier
// prefixes that name their columns. Constant data; the operations on it are in key_names.h.
#pragma once

#include <cstddef>
#include <cstdint>

// Cell values that are no key code: the key cannot be used with these modifiers, or the
// combination types text (or is plain Backspace or Enter) and may not become the hotkey.
constexpr int32_t kInvalidCombination = -1;
constexpr int32_t kNotAllowedAsHotkey = -2;

// Modifier columns, in table order; a column number is also the index into ModifierPrefixes.
constexpr size_t kColumnNone = 0;
constexpr size_t kColumnShift = 1;
constexpr size_t kColumnCtrl = 2;
constexpr size_t kColumnAlt = 3;
constexpr size_t kColumnCtrlShift = 4;
constexpr size_t kColumnCtrlAlt = 5;
constexpr size_t kColumnCtrlAltShift = 6; // the extended table only

constexpr size_t kLegacyColumns = 6;
constexpr size_t kExtendedColumns = 7;
constexpr size_t kMaxColumns = kExtendedColumns;

// One key: its name and one code per modifier column. Legacy rows leave the last cell unused.
struct KeyRow {
    const char16_t* name;
    int32_t codes[kMaxColumns];
};

// An alternative spelling and the key name that replaces it.
struct KeyAlias {
    const char16_t* alias;
    const char16_t* replacement;
};

// A whole table: rows in order, the columns in use, and the alias list in order.
struct KeyTable {
    const KeyRow* rows;
    size_t rowCount;
    size_t columnCount;
    const KeyAlias* aliases;
    size_t aliasCount;
};

// "", "Shift-", "Ctrl-", "Alt-", "Ctrl-Shift-", "Ctrl-Alt-", "Ctrl-Alt-Shift-".
extern const char16_t* const ModifierPrefixes[kMaxColumns];

// Set once by start-up when the host's major version is kFirstHostVersionWithKeyNames
// (plugin/host.h) or later: selects the extended table and lets the keystroke handler take keys
// reported by name.
extern bool extendedKeys;

// For hosts before kFirstHostVersionWithKeyNames: 74 keys, 6 columns, 17 aliases.
extern const KeyTable LegacyKeyTable;

// For hosts from kFirstHostVersionWithKeyNames on: 72 keys, 7 columns, 25 aliases.
extern const KeyTable ExtendedKeyTable;

// The extended table when extendedKeys is set, the legacy table otherwise.
const KeyTable& ActiveKeyTable();
