// The stand-ins keep everything from the start (or their last reset); what was taken before is
// skipped.
#include "console/drivers/side_output.h"

#include <algorithm>

#include "platform/platform.h"
#include "standins/services_control.h"
#include "standins/ui.h"

namespace {

const char16_t* SoundName(uint32_t alias) {
    if (alias == kSoundSystemAsterisk) return u"(the system asterisk sound)\n";
    if (alias == kSoundSystemHand) return u"(the system hand sound)\n";
    return u"(a sound)\n";
}

} // namespace

std::u16string TakeSideOutput(SideOutputTaken* taken) {
    const std::u16string& trace = StandInConsoleText();
    const auto& sounds = StandInSoundsPlayed();
    const auto& places = StandInSoundPlaces();
    if (taken->consoleText > trace.size()) taken->consoleText = 0;
    if (taken->sounds > sounds.size()) taken->sounds = 0;
    // The console text and the sounds in the order they came: each sound after the text kept
    // before it played.
    std::u16string out;
    for (; taken->sounds < sounds.size() && taken->sounds < places.size(); ++taken->sounds) {
        size_t at = std::clamp(places[taken->sounds], taken->consoleText, trace.size());
        out += trace.substr(taken->consoleText, at - taken->consoleText);
        taken->consoleText = at;
        out += SoundName(sounds[taken->sounds]);
    }
    out += trace.substr(taken->consoleText);
    taken->consoleText = trace.size();
    const auto& boxes = StandInMessageBoxes();
    if (taken->boxes > boxes.size()) taken->boxes = 0;
    for (; taken->boxes < boxes.size(); ++taken->boxes) {
        out += u"[message box \u201C" + boxes[taken->boxes].title + u"\u201D]\n";
        out += boxes[taken->boxes].text;
        out += u"[OK]\n";
    }
    return out;
}
