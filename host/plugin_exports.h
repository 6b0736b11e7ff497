// The plug-in's exports and the stand-in host's controls as function tables, for the programs that
// drive the plug-in the way a host does: the scenario runner and the console's Windows bridge.
#pragma once

#include "plugin/host.h"

// The plug-in's exports, as the host finds them by name.
struct PluginExports {
    PluginInfoRecord* (*getPluginInfo)();
    int (*initializePlugin)();
    int (*shutdownPlugin)();
    int (*key)(KeystrokeRecord*);
    int (*torvane)(const char16_t*);
    int (*usage)(const char16_t*, char16_t*);
    int (*help)(const char16_t*);
};

// The stand-in host's controls.
struct HostControls {
    void (*reset)();
    void (*setVariable)(const char16_t*, const char16_t*);
    void (*unsetVariable)(const char16_t*);
    void (*setCursorRow)(int);
    const char16_t* (*stdoutText)();
    const char16_t* (*stderrText)();
    void (*clearOutput)();
    int (*clearedCount)();
    const char16_t* (*clearedAt)(int);
    int (*expandVariables)(char16_t*, int);
};
