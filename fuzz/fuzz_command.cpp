// Any argument text gives the command a result of 0, 1 or 2, against the in-memory registry; a
// command-line error (1) changes no setting but the trace switch, which takes effect at once.
#include <cstdlib>

#include "fuzz_input.h"
#include "host/host_control.h"
#include "plugin/host.h"
#include "plugin/settings.h"
#include "standins/registry.h"

namespace {
char16_t text[10000];
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HostClearOutput();
    TextIntoBuffer(data, size, text, sizeof text / sizeof text[0]);
    const SettingsRecord before = Settings;
    int result = Torvane(text);
    if (result < 0 || result > 2) std::abort();
    if (Settings.hotkey <= 0) std::abort();
    if (result == 1 &&
        (Settings.hotkey != before.hotkey || Settings.overwrite != before.overwrite ||
         Settings.breakAtSlash != before.breakAtSlash ||
         Settings.keepOldArgs != before.keepOldArgs || Settings.beepOnError != before.beepOnError))
        std::abort();
    // Only a run that reached the registry has anything there to forget.
    if (!StandInRegistryCalls().empty()) StandInRegistryReset();
    Settings = kLoadTimeSettings;
    return 0;
}
