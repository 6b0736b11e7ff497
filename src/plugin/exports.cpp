// The seven exports of Torvane.dll, in the order of torvane.def, and the identity record: each
// export hands the host's call to the part of the plug-in that serves it.
#include "command/command.h"
#include "command/help.h"
#include "plugin/host.h"
#include "plugin/identity.h"
#include "plugin/lifecycle.h"
#include "recall/recall.h"

// The identity record; the host only reads it.
static PluginInfoRecord pluginInfo;

extern "C" {

// The same values on every call, so repeated calls are harmless.
PluginInfoRecord* GetPluginInfo() {
    pluginInfo = {.name = kPluginName,
                  .author = u"Torvane developers",
                  .email = u"torvane@example.org",
                  .webPage = u"https://example.org/torvane",
                  .description = u"Torvane plugin",
                  .implements = u"Torvane,*key",
                  .major = kVersionMajor,
                  .minor = kVersionMinor,
                  .build = kVersionBuild};
    return &pluginInfo;
}

int InitializePlugin() {
    StartPlugin();
    return 0;
}

int ShutdownPlugin() {
    ReleaseSavedArgs();
    return 0;
}

int key(KeystrokeRecord* record) {
    return DispatchKeystroke(record);
}

int Torvane(const char16_t* arguments) {
    return RunTorvaneCommand(arguments);
}

int Usage(const char16_t* name, char16_t* out) {
    return CopyUsageText(name, out);
}

int Help(const char16_t* name) {
    return ShowHelpBox(name);
}
}
