// Any text parses to a code the table holds, or to 0, and every code it finds formats to a name
// that parses back to it.
#include <cstdlib>

#include "fuzz_input.h"
#include "keys/key_names.h"
#include "keys/key_tables.h"
#include "plugin/settings.h"

namespace {
char16_t text[6000];
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    extendedKeys = (data[0] & 1) != 0;
    TextIntoBuffer(data + 1, size - 1, text, sizeof text / sizeof text[0]);
    int32_t code = ParseKeyName(text);
    if (code < -2) std::abort();
    if (code > 0) {
        if (!IsValidHotkey(code)) std::abort();
        char16_t name[kKeyNameBufferSize];
        Settings.hotkey = code;
        if (FormatHotkey(name) != 0 || ParseKeyName(name) != code) std::abort();
    }
    if (ParseExtendedKeyName(text) < -2) std::abort();
    return 0;
}
