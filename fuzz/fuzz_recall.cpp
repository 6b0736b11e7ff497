// Capture any line, recall into any line at any cursor in either mode: the new line stays inside
// the host's buffer, terminated, with the cursor inside it.
#include <cstdlib>
#include <vector>

#include "fuzz_input.h"
#include "plugin/host.h"
#include "plugin/settings.h"
#include "recall/recall.h"
#include "standins/services_control.h"
#include "text/wtext.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    Settings = kLoadTimeSettings;
    Settings.overwrite = data[0] & 1;
    Settings.breakAtSlash = (data[0] >> 1) & 1;
    Settings.keepOldArgs = (data[0] >> 2) & 1;
    Settings.traceMessages = (data[0] >> 3) & 1;
    StandInFailAllocations((data[0] >> 4) == 15);
    const size_t split = data[1] % (size - 2 + 1);
    const uint8_t* rest = data + 2;
    std::u16string first = TextFromBytes(rest, split, 70000);
    std::u16string second = TextFromBytes(rest + split, size - 2 - split, 70000);

    std::vector<char16_t> line(kLineBufferSize, 0);
    KeystrokeRecord record{};
    record.keyCode = 13;
    record.lineStart = line.data();
    CopyText(line.data(), kLineBufferSize, first.c_str());
    record.cursorPos = line.data();
    key(&record);

    std::fill(line.begin(), line.end(), 0);
    size_t length = CopyText(line.data(), kLineBufferSize, second.c_str());
    record = KeystrokeRecord{};
    record.keyCode = Settings.hotkey;
    record.lineStart = line.data();
    record.cursorPos = line.data() + (length == 0 ? 0 : data[1] % (length + 1));
    key(&record);

    size_t after = TextLengthBounded(line.data(), kLineBufferSize);
    if (after >= kLineBufferSize) std::abort();
    if (record.cursorPos < line.data() || record.cursorPos > line.data() + after) std::abort();
    if (record.keyCode != 0) std::abort();
    StandInReset();
    return 0;
}
