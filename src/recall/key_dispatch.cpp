#include "keys/key_reports.h"
#include "platform/platform.h"
#include "plugin/host.h"
#include "plugin/lifecycle.h"
#include "plugin/settings.h"
#include "recall/recall.h"

namespace {

// Shift = 1, Ctrl = 2, Alt = 4, sampled from the keyboard now, in that order.
int ModifierState() {
    int state = 0;
    if (PlatformKeyHeld(kVkShift)) state |= 1;
    if (PlatformKeyHeld(kVkControl)) state |= 2;
    if (PlatformKeyHeld(kVkMenu)) state |= 4;
    return state;
}

} // namespace

int key(KeystrokeRecord* record) {
    if (record == nullptr || Settings.hotkey == 0) return 0;

    int32_t code = record->keyCode;
    if (code == 0) {
        if (!extendedKeys || record->keyName == nullptr) return 0;
        code = CodeFromKeyName(record->keyName);
        if (code <= 0) return 0;
    }

    // The host reports these combinations with the code of one modifier; the table columns for
    // them hold that code with these bits added.
    switch (ModifierState()) {
    case 3:
        code |= kCtrlShiftBit;
        break;
    case 6:
        code |= kCtrlAltBit;
        break;
    case 7:
        if (extendedKeys) code |= kCtrlAltShiftBits;
        break;
    default:
        break;
    }

    if (code == kEnterCode) return CaptureArgs(record);
    if (code == Settings.hotkey) return RecallSavedArgs(record);
    return 0;
}
