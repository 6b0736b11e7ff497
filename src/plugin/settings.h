// The Settings record: six 32-bit fields, read by every subsystem, changed only by start-up and
// the TORVANE command.
#pragma once

#include <cstdint>

#include "platform/platform.h"

struct SettingsRecord {
    int32_t hotkey;
    int32_t overwrite;
    int32_t breakAtSlash;
    int32_t keepOldArgs;
    int32_t beepOnError;
    int32_t traceMessages; // never stored
};

// The values the record holds when the library is loaded.
constexpr SettingsRecord kLoadTimeSettings = {0x1003D, 0, 1, 0, 1, 0};

extern SettingsRecord Settings;
