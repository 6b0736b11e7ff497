// The real Torvane.dll under Wine, driven through a bridge program over a pipe.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "console/session/driver.h"

// How long the console waits on the bridge before it gives the bridge up, and what ends a wait at
// once. Only the time spent waiting on the bridge counts, not the time the plug-in's output and
// message boxes take on the terminal.
struct BridgeWaits {
    int startSeconds = 300; // for the DLLs to load: the first start makes a Wine prefix
    int quietSeconds = 60;  // for each line of an answer, and for a request to be taken
    int callSeconds = 120;  // for the whole answer, however much the bridge reports on the way
    // Asked while a wait lasts; true ends the wait and gives the bridge up, which then counts as
    // left rather than lost. Null: only the times end a wait.
    std::function<bool()> interrupted;
};

// Starts the bridge, whose host output goes to output and whose failures to say; null, with the
// reason in *problem, when Wine or the Windows build is missing or the bridge does not start, and
// with no reason when waits.interrupted ended the wait for it.
std::unique_ptr<PluginDriver> LaunchWineDriver(HostOutputSink output, DriverMessageSink say,
                                               BridgeWaits waits, std::string* problem);
