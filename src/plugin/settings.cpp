#include "plugin/settings.h"

#include "keys/key_names.h"

SettingsRecord Settings = kLoadTimeSettings;

int FormatHotkey(char16_t* buffer) {
    return FormatKeyCode(Settings.hotkey, buffer);
}
