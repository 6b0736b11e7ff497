// The settings' registry form: five REG_DWORD values under SettingsKeyPath, read at start-up and
// by /R, written only by /S and /S!.
#include "keys/key_names.h"
#include "plugin/settings.h"

namespace {

// A registry value and the field it holds.
struct StoredValue {
    const char16_t* name;
    int32_t SettingsRecord::*field;
};

// In the order they are read and written. A yes/no value that is not taken falls back to the
// field's value at library load, not to its current value.
constexpr StoredValue kStoredValues[] = {
    {u"Hotkey", &SettingsRecord::hotkey},
    {u"Overwrite", &SettingsRecord::overwrite},
    {u"Break at slash", &SettingsRecord::breakAtSlash},
    {u"Keep old args", &SettingsRecord::keepOldArgs},
    {u"Beep on error", &SettingsRecord::beepOnError},
};

// Reads one value as a REG_DWORD; false when it is missing, of another type or not 4 bytes.
// Only a query that succeeded counts: after a failed one the data word is not to be trusted.
bool QueryDword(RegistryKey key, const char16_t* name, uint32_t* value) {
    uint32_t type = kRegNone;
    uint32_t size = 4;
    *value = 0xFFFFFFFF;
    int32_t result = PlatformRegQueryValue(key, name, &type, value, &size);
    return result == 0 && type == kRegDword && size == 4;
}

} // namespace

// Every field back to its value at load, but breakAtSlash, which the defaults leave alone.
void SetDefaultSettings() {
    const int32_t breakAtSlash = Settings.breakAtSlash;
    Settings = kLoadTimeSettings;
    Settings.breakAtSlash = breakAtSlash;
}

int LoadSettings(RegistryKey root) {
    RegistryKey key = 0;
    if (PlatformRegOpenKey(root, SettingsKeyPath, kKeyRead, &key) != 0) return 1;
    SettingsRecord loaded = Settings;
    for (const StoredValue& stored : kStoredValues) {
        uint32_t value = 0;
        bool taken = QueryDword(key, stored.name, &value);
        if (stored.field == &SettingsRecord::hotkey)
            loaded.hotkey = taken ? static_cast<int32_t>(value) : -1;
        else
            loaded.*stored.field =
                taken && value <= 1 ? static_cast<int32_t>(value) : kLoadTimeSettings.*stored.field;
    }
    PlatformRegCloseKey(key);
    if (!IsValidHotkey(loaded.hotkey)) return 1;
    Settings = loaded;
    return 0;
}

int SaveSettings(RegistryKey root) {
    RegistryKey key = 0;
    int32_t created = PlatformRegCreateKey(root, SettingsKeyPath, kKeyWrite, &key);
    if (created != 0) return created;
    int32_t failure = 0;
    for (const StoredValue& stored : kStoredValues) {
        int32_t value = Settings.*stored.field;
        int32_t result = PlatformRegSetValue(key, stored.name, kRegDword, &value, 4);
        if (result != 0) failure = result;
    }
    PlatformRegCloseKey(key);
    return failure;
}
