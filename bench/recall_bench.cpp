// Capture on Enter and recall on the hotkey, on lines of growing length: a recall assembles the
// new line in its fixed work line and allocates nothing, so its cost follows the line's length.
#include <benchmark/benchmark.h>

#include <string>

#include "host/host_control.h"
#include "plugin/host.h"
#include "recall/recall.h"

namespace {

// A record over a host-sized line holding text, with the cursor in the middle.
struct Line {
    std::u16string buffer = std::u16string(kLineBufferSize, u'\0');
    KeystrokeRecord record{};

    Line(const std::u16string& text, int32_t code) {
        buffer.replace(0, text.size(), text);
        record.keyCode = code;
        record.lineStart = buffer.data();
        record.cursorPos = buffer.data() + text.size() / 2;
    }
};

void BM_Capture(benchmark::State& state) {
    const std::u16string text = u"copy " + std::u16string(state.range(0), u'a');
    Line line(text, 13);
    for (auto _ : state) {
        line.record.keyCode = 13;
        key(&line.record);
    }
    state.SetItemsProcessed(state.iterations());
    ReleaseSavedArgs();
}
BENCHMARK(BM_Capture)->Range(16, 16384);

void BM_RecallInsert(benchmark::State& state) {
    Line saved(u"copy " + std::u16string(state.range(0), u'a'), 13);
    key(&saved.record);
    const std::u16string text = u"notepad " + std::u16string(state.range(0), u'b');
    for (auto _ : state) {
        state.PauseTiming();
        Line line(text, 0x1003D);
        HostReset();
        state.ResumeTiming();
        key(&line.record);
        benchmark::DoNotOptimize(line.record.cursorPos);
    }
    state.SetItemsProcessed(state.iterations());
    ReleaseSavedArgs();
}
BENCHMARK(BM_RecallInsert)->Range(16, 16384);

} // namespace
