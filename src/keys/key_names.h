// Translation between key names such as Ctrl-Alt-F3 and host key codes, over the active key
// table (the extended one when extendedKeys is set, the legacy one otherwise). Nothing here reads
// the settings or calls the host: callers pass the code to name and the function that writes.
#pragma once

#include <cstddef>
#include <cstdint>

// Size of the buffers that hold a key name, the terminator included.
constexpr size_t kKeyNameBufferSize = 1024;

// A code above 0; 0 when the text names no key; -1 or -2 where the table marks the combination.
int32_t ParseKeyName(const char16_t* text);

// As ParseKeyName, always over the extended key table.
int32_t ParseExtendedKeyName(const char16_t* text);

// Writes the name of code into buffer (kKeyNameBufferSize characters); returns 0, or -1 after
// writing "(unknown)" when the code is in no cell of the active table.
int FormatKeyCode(int32_t code, char16_t* buffer);

// Writes one line per key of the active table, each followed by "\r\n", through write.
void ListHotkeys(int (*write)(const char16_t* text));

// True when code is above 0 and stands in some cell of the active table.
bool IsValidHotkey(int32_t code);
