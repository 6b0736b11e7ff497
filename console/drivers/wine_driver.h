// The real Torvane.dll under Wine, driven through a bridge program over a pipe.
#pragma once

#include <memory>
#include <string>

#include "console/session/driver.h"

// Starts the bridge, whose host output goes to output and whose failures to say; null, with the
// reason in *problem, when Wine or the Windows build is missing or the bridge does not start.
std::unique_ptr<PluginDriver> LaunchWineDriver(HostOutputSink output, DriverMessageSink say,
                                               std::string* problem);

// The Wine prefix, and with it the registry, that --windows uses: $TORVANE_WINE_PREFIX, or
// console-wine-prefix in the Windows build.
std::string WinePrefixPath();
