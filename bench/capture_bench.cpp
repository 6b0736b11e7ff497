// Capture on Enter and FindArgs on lines of each size: capture of "copy " and arguments, FindArgs
// over one long command word.
#include "bench_world.h"

namespace {

// Enter on a line of range(0) characters: "copy " and the arguments.
void BM_Capture(benchmark::State& state) {
    QuietWorld();
    const size_t length = static_cast<size_t>(state.range(0));
    BenchLine line(u"copy " + std::u16string(length - 5, u'a'), 0, 13);
    const size_t before = StandInAllocationCount();
    for (auto _ : state) {
        line.record.keyCode = 13;
        key(&line.record);
        benchmark::DoNotOptimize(SavedArgs);
    }
    CountAllocations(state, before);
    QuietWorld();
}
BENCHMARK(BM_Capture)->Arg(kSmall)->Arg(kLarge)->Arg(kLargest);

// A command word of range(0) copies of ch followed by one argument.
void FindArgsOver(benchmark::State& state, char16_t ch) {
    QuietWorld();
    const size_t length = static_cast<size_t>(state.range(0));
    BenchLine line(std::u16string(length, ch) + u" x", 0, 13);
    for (auto _ : state)
        benchmark::DoNotOptimize(FindArgs(line.record.lineStart, kLineBufferSize));
    QuietWorld();
}

void BM_FindArgs(benchmark::State& state) {
    FindArgsOver(state, u'w');
}
BENCHMARK(BM_FindArgs)->Arg(kSmall)->Arg(kLarge)->Arg(kLargest);

// The same over a word of Cyrillic letters: every character is looked at one by one.
void BM_FindArgsWide(benchmark::State& state) {
    FindArgsOver(state, u'\u0436');
}
BENCHMARK(BM_FindArgsWide)->Arg(kLargest);

} // namespace
