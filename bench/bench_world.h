// What the benchmarks share: a quiet plug-in whose stand-ins keep no records, a host-sized edit
// line, and the memcpy floor every figure is divided by.
#pragma once

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "host/host_control.h"
#include "plugin/host.h"
#include "plugin/settings.h"
#include "recall/recall.h"
#include "standins/services_control.h"

// The sizes of the figures, in characters.
constexpr int64_t kSmall = 8000;
constexpr int64_t kLarge = 60000;
constexpr int64_t kLargest = 65000;

// A freshly loaded plug-in with the load-time settings; the stand-ins run but record nothing.
inline void QuietWorld() {
    StandInReset();
    HostReset();
    StandInSetRecording(false);
    HostSetRecording(false);
    Settings = kLoadTimeSettings;
    ReleaseSavedArgs();
}

// An edit line of the host's size holding text, with the cursor at the given position.
struct BenchLine {
    std::u16string buffer = std::u16string(kLineBufferSize, u'\0');
    KeystrokeRecord record{};

    BenchLine(const std::u16string& text, size_t cursor, int32_t code) {
        buffer.replace(0, text.size(), text);
        record.keyCode = code;
        record.lineStart = buffer.data();
        record.cursorPos = buffer.data() + cursor;
    }
};

// Captures "copy " followed by length characters of 'a' as the saved arguments.
inline void SaveArgs(size_t length) {
    BenchLine line(u"copy " + std::u16string(length, u'a'), 0, 13);
    key(&line.record);
}

// Plug-in heap requests per iteration since the count was taken.
inline void CountAllocations(benchmark::State& state, size_t before) {
    state.counters["allocs"] = static_cast<double>(StandInAllocationCount() - before) /
                               static_cast<double>(state.iterations());
}

// Copies characters from one buffer to another and makes the result count.
inline void CopyChars(char16_t* to, const char16_t* from, size_t count) {
    std::memcpy(to, from, count * sizeof(char16_t));
    benchmark::ClobberMemory();
}
