// Loading Torvane.dll next to the stand-in TakeCmd.dll as the host does, holding the modifier keys
// for real, and taking over the plug-in's calls into the system: shared by the Windows scenario
// runner and the console's bridge.
#pragma once

#include <windows.h>

#include <string>

#include "host/plugin_exports.h"

// Loads TakeCmd.dll (the plug-in imports from it), then Torvane.dll, and looks up every export
// and host control by name; false, with the reason in *why, when a library or a name is missing.
bool LoadPluginWithHost(PluginExports* plugin, HostControls* host, HMODULE* pluginModule,
                        std::string* why);

// Points the module's import of function from dll at replacement; returns the function it called
// before, or null when the module imports no such function.
void* ReplaceImport(HMODULE module, const char* dll, const char* function, void* replacement);

// Presses or releases Shift, Ctrl and Alt so that the keyboard holds state (the bits of
// keys/modifiers.h), then waits until the keyboard state reads so; returns the number of key events
// the system took and stores the state last read in *held.
int HoldModifierKeys(int state, int* held);
