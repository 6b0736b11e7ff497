// The stand-ins keep everything from the start (or their last reset); what was taken before is
// skipped.
#include "console/drivers/side_output.h"

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
    if (taken->consoleText > trace.size()) taken->consoleText = 0;
    std::u16string out = trace.substr(taken->consoleText);
    taken->consoleText = trace.size();
    const auto& sounds = StandInSoundsPlayed();
    if (taken->sounds > sounds.size()) taken->sounds = 0;
    for (; taken->sounds < sounds.size(); ++taken->sounds)
        out += SoundName(sounds[taken->sounds]);
    const auto& boxes = StandInMessageBoxes();
    if (taken->boxes > boxes.size()) taken->boxes = 0;
    for (; taken->boxes < boxes.size(); ++taken->boxes) {
        out += u"[message box \u201C" + boxes[taken->boxes].title + u"\u201D]\n";
        out += boxes[taken->boxes].text;
        out += u"[OK]\n";
    }
    return out;
}
