// Who the plug-in is: shown in the banner, the settings report, the help and the identity record.
#pragma once

#include <cstdint>

constexpr const char16_t* kPluginName = u"Torvane";
constexpr const char16_t* kPlatformName = u"x64";
constexpr uint32_t kVersionMajor = 1;
constexpr uint32_t kVersionMinor = 0;
constexpr uint32_t kVersionBuild = 1;
constexpr uint32_t kVersionRevision = 1; // only the long help and the version resource show it
