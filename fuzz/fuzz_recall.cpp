// Capture any line, recall into any line at any cursor in either mode: the new line stays inside
// the host's buffer, terminated, with the cursor inside it. A line may also fill the whole buffer
// without a terminator.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "fuzz_input.h"
#include "plugin/host.h"
#include "plugin/settings.h"
#include "recall/recall.h"
#include "standins/services_control.h"
#include "text/wtext.h"

namespace {

// The host's edit line, kept from run to run; zeros from dirty on.
char16_t line[kLineBufferSize];
size_t dirty = 0;

// Writes the text of bytes into the line; with fill, one character repeats after it to the
// buffer's end, leaving no terminator. Returns the length inside the buffer.
size_t SetLine(const uint8_t* bytes, size_t size, bool fill) {
    std::memset(line, 0, dirty * sizeof line[0]);
    size_t length = TextIntoBuffer(bytes, size, line, kLineBufferSize);
    if (fill && length > 0) {
        // One of the characters the line scans treat apart, chosen by the text's last one, so
        // that the 64K scans run on their fast path.
        constexpr char16_t kFills[] = {u'x', u' ', u'"', u'/'};
        line[length] = kFills[line[length - 1] & 3];
        // Doubling copies: the library's copy is far faster than a loop the fuzzer instruments.
        for (size_t done = 1; length + done < kLineBufferSize; done *= 2)
            std::memcpy(line + length + done, line + length,
                        std::min(done, kLineBufferSize - length - done) * sizeof line[0]);
        length = kLineBufferSize;
    }
    dirty = std::min(length + 1, kLineBufferSize);
    return length;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) return 0;
    Settings = kLoadTimeSettings;
    Settings.overwrite = data[0] & 1;
    Settings.breakAtSlash = (data[0] >> 1) & 1;
    Settings.keepOldArgs = (data[0] >> 2) & 1;
    Settings.traceMessages = (data[0] >> 3) & 1;
    StandInFailAllocations((data[0] >> 4) == 15);
    // A full buffer costs scans of 64K characters, so only one value of two bytes asks for it,
    // for one of the lines, without the trace lines that would copy it twice more.
    const bool fill = (data[2] & 0xFE) == 0xA4 && data[3] == 0x5A;
    const bool fillFirst = fill && (data[2] & 1) == 0;
    const bool fillSecond = fill && (data[2] & 1) != 0;
    if (fill) Settings.traceMessages = 0;
    const size_t split = data[1] % (size - 4 + 1);
    const uint8_t* rest = data + 4;

    KeystrokeRecord record{};
    record.keyCode = 13;
    record.lineStart = line;
    record.cursorPos = line;
    SetLine(rest, split, fillFirst);
    key(&record);

    size_t length = SetLine(rest + split, size - 4 - split, fillSecond);
    record = KeystrokeRecord{};
    record.keyCode = Settings.hotkey;
    record.lineStart = line;
    const size_t last = std::min(length, kLineBufferSize - 1);
    record.cursorPos = line + (last == 0 ? 0 : (data[1] * 257u + data[2]) % (last + 1));
    key(&record);

    size_t after = TextLengthInBuffer(line, kLineBufferSize);
    if (length < kLineBufferSize && after >= kLineBufferSize) std::abort();
    if (after == kLineBufferSize) {
        if (record.redraw != 0) std::abort(); // an unterminated line is only ever left alone
    } else if (record.cursorPos < line || record.cursorPos > line + after) {
        std::abort();
    }
    if (record.keyCode != 0) std::abort();
    dirty = std::max(dirty, std::min(after + 1, kLineBufferSize));
    StandInReset();
    return 0;
}
