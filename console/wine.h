// The real Torvane.dll under Wine, driven through a bridge program over a pipe.
#pragma once

#include <string>

#include "console/plugin.h"

// Starts the bridge; null, with the reason in *problem, when Wine or the Windows build is missing.
const PluginDriver* WinePlugin(std::string* problem);

// The Windows build the bridge and the DLLs come from: $TORVANE_WINDOWS_BUILD, or build/windows
// in the source tree.
std::string WindowsBuildFolder();

// The Wine prefix, and with it the registry, that --windows uses: $TORVANE_WINE_PREFIX, or
// console-wine-prefix in the Windows build.
std::string WinePrefixPath();
