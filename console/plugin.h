// The plug-in as the console drives it: the native build linked in, or the real Torvane.dll under
// Wine behind a bridge program. Either way the console makes the calls the host makes.
#pragma once

#include <string>

#include "plugin/host.h"

struct PluginDriver {
    // Loads the plug-in as the host does (GetPluginInfo, then InitializePlugin); false, with the
    // reason in *problem, when it cannot be used.
    bool (*start)(std::string* problem);
    void (*stop)(); // ShutdownPlugin
    // The keystroke handler, with the modifier keys in modifiers held during the call.
    int (*key)(KeystrokeRecord* record, int modifiers);
    int (*command)(const char16_t* arguments); // Torvane
    int (*help)(const char16_t* name);
    int (*usage)(const char16_t* name, char16_t* out);
    void (*setVariable)(const std::u16string& name, const std::u16string& value);
    void (*unsetVariable)(const std::u16string& name);
    // The text with the host's variable references replaced.
    std::u16string (*expand)(const std::u16string& text);
    // The row GetAbsCursorPosition reports during the next calls.
    void (*setCursorRow)(int32_t row);
    // What the plug-in showed outside standard output since the last call (trace lines, message
    // boxes) while the console keeps it for its transcript instead of the terminal.
    std::u16string (*takeSideOutput)();
};

// The plug-in of this build, called directly; host output is echoed to the process's streams.
extern const PluginDriver NativePlugin;

// What the stand-ins for the console device, the sounds and the message box kept since the last
// call, as text for the transcript.
std::u16string TakeStandInSideOutput();
