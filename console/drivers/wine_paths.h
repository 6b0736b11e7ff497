// Where --windows finds what it runs: the Windows build that holds the bridge and the DLLs, Wine
// on the PATH, and the Wine prefix whose registry keeps the plug-in's settings.
#pragma once

#include <string>
#include <vector>

// $TORVANE_WINDOWS_BUILD, or build/windows in the source tree.
std::string WindowsBuildFolder();

// The Wine prefix, and with it the registry, that --windows uses: $TORVANE_WINE_PREFIX, or
// console-wine-prefix in the Windows build. An empty variable counts as unset.
std::string WinePrefixPath();

// The first of the names that is a program on the PATH; empty when none is.
std::string FindProgram(const std::vector<std::string>& names);

bool PathExists(const std::string& path);
