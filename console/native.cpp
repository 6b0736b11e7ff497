// The console's native plug-in: the exports called in-process, over the stand-in host and the
// stand-ins for the Windows services.
#include "console/plugin.h"
#include "host/host_control.h"
#include "platform/platform.h"
#include "standins/services_control.h"
#include "standins/ui.h"
#include "text/wtext.h"

namespace {

bool NativeStart(std::string* problem) {
    const PluginInfoRecord* info = GetPluginInfo();
    if (info == nullptr || info->implements == nullptr) {
        *problem = "the plug-in gave no identity record";
        return false;
    }
    InitializePlugin();
    return true;
}

void NativeStop() {
    ShutdownPlugin();
}

int NativeKey(KeystrokeRecord* record, int modifiers) {
    StandInSetModifiers(modifiers);
    int result = key(record);
    StandInSetModifiers(0);
    return result;
}

// The host expands in buffers of 1024 characters; longer text is left as it is.
std::u16string NativeExpand(const std::u16string& text) {
    constexpr size_t kCapacity = 1024;
    if (text.size() >= kCapacity) return text;
    char16_t buffer[kCapacity] = {};
    CopyText(buffer, kCapacity, text.c_str());
    ExpandVariables(buffer, 1);
    return std::u16string(buffer, TextLengthBounded(buffer, kCapacity));
}

size_t consoleTextTaken = 0;
size_t boxesTaken = 0;
size_t soundsTaken = 0;

const char16_t* SoundName(uint32_t alias) {
    if (alias == kSoundSystemAsterisk) return u"(the system asterisk sound)\n";
    if (alias == kSoundSystemHand) return u"(the system hand sound)\n";
    return u"(a sound)\n";
}

} // namespace

// The stand-ins keep everything from the start (or their last reset); what was taken before is
// skipped.
std::u16string TakeStandInSideOutput() {
    std::u16string out;
    const std::u16string& trace = StandInConsoleText();
    if (consoleTextTaken > trace.size()) consoleTextTaken = 0;
    out = trace.substr(consoleTextTaken);
    consoleTextTaken = trace.size();
    const auto& sounds = StandInSoundsPlayed();
    if (soundsTaken > sounds.size()) soundsTaken = 0;
    for (; soundsTaken < sounds.size(); ++soundsTaken)
        out += SoundName(sounds[soundsTaken]);
    const auto& boxes = StandInMessageBoxes();
    if (boxesTaken > boxes.size()) boxesTaken = 0;
    for (; boxesTaken < boxes.size(); ++boxesTaken) {
        out += u"[message box \u201C" + boxes[boxesTaken].title + u"\u201D]\n";
        out += boxes[boxesTaken].text;
        out += u"[OK]\n";
    }
    return out;
}

const PluginDriver NativePlugin = {
    .start = NativeStart,
    .stop = NativeStop,
    .key = NativeKey,
    .command = Torvane,
    .help = Help,
    .usage = Usage,
    .setVariable = HostSetVariable,
    .unsetVariable = HostUnsetVariable,
    .expand = NativeExpand,
    .setCursorRow = HostSetCursorRow,
    .takeSideOutput = TakeStandInSideOutput,
};
