// What the stand-ins for the console device, the sounds and the message box kept of the
// plug-in's doings, as text for a transcript. Both drivers pass the plug-in's side output through
// the same stand-ins, so they read it the same way.
#pragma once

#include <cstddef>
#include <string>

// How far the stand-ins' records were taken.
struct SideOutputTaken {
    size_t consoleText = 0;
    size_t sounds = 0;
    size_t boxes = 0;
};

// What the stand-ins kept since the records were last taken (or reset), as text.
std::u16string TakeSideOutput(SideOutputTaken* taken);
