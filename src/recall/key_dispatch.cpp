#include "keys/key_reports.h"
#include "keys/key_tables.h"
#include "keys/modifiers.h"
#include "platform/platform.h"
#include "plugin/host.h"
#include "plugin/settings.h"
#include "recall/recall.h"

namespace {

// The modifier keys held now, sampled from the keyboard in the order Shift, Ctrl, Alt.
int ModifierState() {
    int state = 0;
    if (PlatformKeyHeld(kVkShift)) state |= kShiftBit;
    if (PlatformKeyHeld(kVkControl)) state |= kCtrlBit;
    if (PlatformKeyHeld(kVkMenu)) state |= kAltBit;
    return state;
}

} // namespace

int DispatchKeystroke(KeystrokeRecord* record) {
    if (record == nullptr || Settings.hotkey == 0) return 0;

    int32_t code = record->keyCode;
    if (code == 0) {
        if (!extendedKeys || record->keyName == nullptr) return 0;
        code = CodeOfReportedKeyName(record->keyName);
        if (code <= 0) return 0;
    }

    // The host reports these combinations with the code of one modifier; the table columns for
    // them hold that code with these bits added.
    const int state = ModifierState();
    if (state == kCtrlShiftState)
        code |= kCtrlShiftCodeBit;
    else if (state == kCtrlAltState)
        code |= kCtrlAltCodeBit;
    else if (state == kCtrlAltShiftState && extendedKeys)
        code |= kCtrlAltShiftCodeBits;

    if (code == kEnterCode) return CaptureArgs(record);
    if (code == Settings.hotkey) return RecallSavedArgs(record);
    return 0;
}
