// The real Torvane.dll under Wine, driven through a bridge program over a pipe.
#pragma once

#include <string>

#include "console/plugin.h"

// Starts the bridge; null, with the reason in *problem, when Wine or the Windows build is missing.
const PluginDriver* WinePlugin(std::string* problem);
