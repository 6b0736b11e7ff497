// Any argument text gives the command a result of 0, 1 or 2, against the in-memory registry.
#include <cstdlib>

#include "fuzz_input.h"
#include "host/host_control.h"
#include "plugin/host.h"
#include "plugin/settings.h"
#include "standins/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HostClearOutput();
    std::u16string text = TextFromBytes(data, size, 10000);
    int result = Torvane(text.c_str());
    if (result < 0 || result > 2) std::abort();
    if (Settings.hotkey <= 0) std::abort();
    StandInRegistryReset();
    Settings = kLoadTimeSettings;
    return 0;
}
