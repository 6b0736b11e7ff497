// The Settings record: six 32-bit fields, read by every subsystem, changed only by start-up and
// the TORVANE command.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// Each field starts with the value it holds when the library is loaded.
struct SettingsRecord {
    int32_t hotkey = 0x1003D; // F3
    int32_t overwrite = 0;
    int32_t breakAtSlash = 1;
    int32_t keepOldArgs = 0;
    int32_t beepOnError = 1;
    int32_t traceMessages = 0; // never stored
};

// The values the record holds when the library is loaded.
constexpr SettingsRecord kLoadTimeSettings = {};

extern SettingsRecord Settings;

// Where the settings live under either root.
constexpr const char16_t* SettingsKeyPath = u"Software\\Varnholt\\Torvane";

// Resets every field but breakAtSlash to its default.
void SetDefaultSettings();

// Applies the settings stored under root: 0 when applied, 1 when nothing was applied.
int LoadSettings(RegistryKey root);

// Stores the settings under root: 0, or the Windows error code of the failure.
int SaveSettings(RegistryKey root);

// Writes the name of the hotkey into buffer (kKeyNameBufferSize characters): 0, or -1 after
// "(unknown)".
int FormatHotkey(char16_t* buffer);
