// Key-name parsing, hotkey formatting, the hotkey list and the validity check, over the key
// tables. Nothing here allocates: every text lives in a fixed buffer of kKeyNameBufferSize.
#include "keys/key_names.h"

#include "keys/key_tables.h"
#include "keys/modifiers.h"
#include "text/chars.h"
#include "text/wtext.h"

namespace {

struct ModifierWord {
    const char16_t* word;
    int bit;
};

// In the order they are tried.
constexpr ModifierWord kModifierWords[] = {
    {u"s", kShiftBit},   {u"shift", kShiftBit},  {u"c", kCtrlBit}, {u"ctl", kCtrlBit},
    {u"ctrl", kCtrlBit}, {u"control", kCtrlBit}, {u"a", kAltBit},  {u"alt", kAltBit},
};

constexpr size_t kNoColumn = kMaxColumns;

// The column for each pattern of modifier bits; Alt with Shift has none in either table.
constexpr size_t kColumnForBits[kModifierStates] = {
    kColumnNone, kColumnShift, kColumnCtrl,    kColumnCtrlShift,
    kColumnAlt,  kNoColumn,    kColumnCtrlAlt, kColumnCtrlAltShift,
};

constexpr char16_t kSeparator = u'-';
constexpr const char16_t* kEntrySeparator = u" \u00B7 ";

// The bit of a modifier word, or 0 when the segment is none.
int ModifierBit(const char16_t* segment) {
    for (const ModifierWord& m : kModifierWords) {
        if (EqualsIgnoreCase(segment, m.word)) return m.bit;
    }
    return 0;
}

// The key name after alias replacement; aliases are tried in list order against the name so far.
const char16_t* ReplaceAlias(const KeyTable& table, const char16_t* name) {
    for (size_t i = 0; i < table.aliasCount; ++i) {
        if (EqualsIgnoreCase(name, table.aliases[i].alias)) name = table.aliases[i].replacement;
    }
    return name;
}

// The code in column of the last row named name, or 0 when no row has that name.
int32_t LookUp(const KeyTable& table, const char16_t* name, size_t column) {
    int32_t code = 0;
    for (size_t row = 0; row < table.rowCount; ++row) {
        if (EqualsIgnoreCase(name, table.rows[row].name)) code = table.rows[row].codes[column];
    }
    return code;
}

// Modifier words joined by '-', then a key name; a '-' opening a segment or ending the text is
// part of the name, so Ctrl-- and Num- can be written.
int32_t ParseWith(const KeyTable& table, const char16_t* text) {
    if (text == nullptr) return 0;
    char16_t segment[kKeyNameBufferSize];
    size_t length = 0;
    int bits = 0;
    for (const char16_t* at = text; *at != 0; ++at) {
        if (*at == kSeparator && length > 0 && at[1] != 0) {
            segment[length] = 0;
            int bit = ModifierBit(segment);
            if (bit == 0) return 0;
            bits |= bit;
            length = 0;
        } else if (length + 1 < kKeyNameBufferSize) {
            segment[length++] = *at;
        }
    }
    if (length == 0) return 0;
    segment[length] = 0;

    size_t column = kColumnForBits[bits];
    if (column >= table.columnCount) return 0;
    return LookUp(table, ReplaceAlias(table, segment), column);
}

// Appends the name of one cell: the column's modifier prefix, then the row's key name.
void AppendCellName(char16_t* buffer, const KeyRow& row, size_t column) {
    AppendText(buffer, kKeyNameBufferSize, ModifierPrefixes[column]);
    AppendText(buffer, kKeyNameBufferSize, row.name);
}

} // namespace

int32_t ParseKeyName(const char16_t* text) {
    return ParseWith(ActiveKeyTable(), text);
}

int32_t ParseExtendedKeyName(const char16_t* text) {
    return ParseWith(ExtendedKeyTable, text);
}

int FormatKeyCode(int32_t code, char16_t* buffer) {
    if (buffer == nullptr) return -1;
    const KeyTable& table = ActiveKeyTable();
    const KeyRow* found = nullptr;
    size_t foundColumn = 0;
    // Only codes above 0 are keys; a negative code must not take the name of a marked cell.
    for (size_t row = 0; code > 0 && row < table.rowCount; ++row) {
        for (size_t column = 0; column < table.columnCount; ++column) {
            if (table.rows[row].codes[column] != code) continue;
            found = &table.rows[row];
            foundColumn = column;
        }
    }
    buffer[0] = 0;
    if (found == nullptr) {
        CopyText(buffer, kKeyNameBufferSize, u"(unknown)");
        return -1;
    }
    AppendCellName(buffer, *found, foundColumn);
    return 0;
}

void ListHotkeys(int (*write)(const char16_t* text)) {
    const KeyTable& table = ActiveKeyTable();
    char16_t line[kKeyNameBufferSize];
    for (size_t row = 0; row < table.rowCount; ++row) {
        line[0] = 0;
        for (size_t column = 0; column < table.columnCount; ++column) {
            if (table.rows[row].codes[column] <= 0) continue;
            if (line[0] != 0) AppendText(line, kKeyNameBufferSize, kEntrySeparator);
            AppendCellName(line, table.rows[row], column);
        }
        write(line);
        write(u"\r\n");
    }
}

bool IsValidHotkey(int32_t code) {
    if (code <= 0) return false;
    const KeyTable& table = ActiveKeyTable();
    for (size_t row = 0; row < table.rowCount; ++row) {
        for (size_t column = 0; column < table.columnCount; ++column) {
            if (table.rows[row].codes[column] == code) return true;
        }
    }
    return false;
}
