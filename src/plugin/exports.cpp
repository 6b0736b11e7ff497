// The seven exports of Torvane.dll, in the order of torvane.def: each hands the host's call to
// the part of the plug-in that serves it.
#include "command/command.h"
#include "command/help.h"
#include "plugin/host.h"
#include "plugin/lifecycle.h"
#include "recall/recall.h"

extern "C" {

PluginInfoRecord* GetPluginInfo() {
    return FillPluginInfo();
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
