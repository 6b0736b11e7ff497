#include "plugin/settings.h"

SettingsRecord Settings = kLoadTimeSettings;
