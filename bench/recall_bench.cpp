// Recall on the hotkey: saved arguments of each size into a short line, in both modes, and 5,000
// characters into the middle of a 60,000-character line. Each iteration undoes only what the
// recall changed, and the floors do the same.
#include "bench_world.h"

namespace {

// The short line's length: the recall inserts at its end.
constexpr size_t kShortLine = 7;

// Saved arguments of range(0) characters into "notepad", the cursor at its end.
void RecallAtTheEnd(benchmark::State& state, int overwrite) {
    QuietWorld();
    SaveArgs(static_cast<size_t>(state.range(0)));
    Settings.overwrite = overwrite;
    BenchLine line(u"notepad", kShortLine, 0);
    char16_t* cursor = line.record.cursorPos;
    const size_t before = StandInAllocationCount();
    for (auto _ : state) {
        line.record.keyCode = Settings.hotkey;
        line.record.cursorPos = cursor;
        key(&line.record);
        line.buffer[kShortLine] = 0;
        benchmark::ClobberMemory();
    }
    CountAllocations(state, before);
    QuietWorld();
}

void BM_RecallInsert(benchmark::State& state) {
    RecallAtTheEnd(state, 0);
}
BENCHMARK(BM_RecallInsert)->Arg(kSmall)->Arg(kLarge)->Arg(kLargest);

void BM_RecallOverwrite(benchmark::State& state) {
    RecallAtTheEnd(state, 1);
}
BENCHMARK(BM_RecallOverwrite)->Arg(kLarge);

// The middle case: the line, the saved arguments, and the new line with a space on either side.
constexpr size_t kMiddleLine = 60000;
constexpr size_t kMiddleArgs = 5000;
constexpr size_t kMiddleCursor = kMiddleLine / 2;
constexpr size_t kMiddleResult = kMiddleLine + kMiddleArgs + 2;
// What the recall changed: from the cursor to the old line's terminator.
constexpr size_t kMiddleRestore = kMiddleLine - kMiddleCursor + 1;

void BM_RecallMiddle(benchmark::State& state) {
    QuietWorld();
    SaveArgs(kMiddleArgs);
    const std::u16string text(kMiddleLine, u'b');
    BenchLine line(text, kMiddleCursor, 0);
    const BenchLine pristine(text, kMiddleCursor, 0);
    char16_t* cursor = line.record.cursorPos;
    const size_t before = StandInAllocationCount();
    for (auto _ : state) {
        line.record.keyCode = Settings.hotkey;
        line.record.cursorPos = cursor;
        key(&line.record);
        CopyChars(cursor, pristine.buffer.data() + kMiddleCursor, kMiddleRestore);
    }
    CountAllocations(state, before);
    QuietWorld();
}
BENCHMARK(BM_RecallMiddle);

// memcpy of the middle case's new line, plus the same restoring copy.
void BM_RecallMiddleFloor(benchmark::State& state) {
    static char16_t from[kLineBufferSize];
    static char16_t to[kLineBufferSize];
    std::fill(from, from + kLineBufferSize, u'b');
    for (auto _ : state) {
        CopyChars(to, from, kMiddleResult);
        CopyChars(to + kMiddleCursor, from + kMiddleCursor, kMiddleRestore);
    }
}
BENCHMARK(BM_RecallMiddleFloor);

} // namespace
