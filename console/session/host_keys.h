// What the host reports to the plug-in for each key of the console's keyboard: a key code, or on
// newer hosts sometimes a key name, together with the modifier keys held.
#pragma once

#include <cstddef>
#include <cstdint>

#include "console/terminal/keyboard.h"
#include "keys/key_tables.h"
#include "plugin/host.h"

// Columns of the host's key-report table: the extended key table's seven. Shift with Alt has no
// column of its own; the host reports it as the Alt combination.
constexpr size_t kHostKeyColumns = kExtendedColumns;

// A cell flag: a host that reports keys by name (major version 24 and up) reports this
// combination by name; the code beside the flag is what an older host reports (0: nothing).
constexpr int32_t kByName = 0x40000000;

// One key: the name a newer host gives it and, per column, the code the host reports. For the
// combined columns that is the code of the key with one modifier; the plug-in adds the bits of
// the combination from the keyboard state. 0: the host reports nothing for the combination.
struct HostKeyRow {
    const char16_t* name;
    int32_t cells[kHostKeyColumns];
};

extern const HostKeyRow HostKeyTable[kConsoleKeyCount];

// The column for a modifier state; Shift with Alt counts as Alt.
size_t HostKeyColumn(int modifiers);

// What the host hands the plug-in for one key.
struct HostKeyReport {
    bool reported;                          // false: the host has no report for this combination
    int32_t keyCode;                        // 0 when reported by name
    char16_t keyName[kReportedKeyNameSize]; // the key's name with its modifiers; empty for text
    int modifiers;                          // the keyboard state during the call
};

// The report for a key with modifiers, on an older (extendedHost false) or newer host.
HostKeyReport HostReportOfKey(int key, int modifiers, bool extendedHost);

// The report for one UTF-16 unit of typed text.
HostKeyReport HostReportOfText(char16_t unit);

// The key's name with its modifiers, as the console shows it, e.g. "Ctrl-Shift-F3".
void ConsoleKeyName(int key, int modifiers, char16_t* out, size_t capacity);
