// Who the plug-in is: shown in the banner, the settings report, the help and the identity record.
#pragma once

#include <cstdint>

#include "plugin/version.h"

constexpr const char16_t* kPluginName = u"Torvane";
constexpr const char16_t* kPlatformName = u"x64";
constexpr uint32_t kVersionMajor = TORVANE_VERSION_MAJOR;
constexpr uint32_t kVersionMinor = TORVANE_VERSION_MINOR;
constexpr uint32_t kVersionBuild = TORVANE_VERSION_BUILD;
constexpr uint32_t kVersionRevision = TORVANE_VERSION_REVISION; // long help and resource only
