// The TORVANE command and the tokenizer on argument texts of each size, and the key handler for a
// key it does not act on, against the three modifier queries that key costs at least.
#include "bench_world.h"
#include "command/arguments.h"
#include "platform/platform.h"

namespace {

// "/q /q /q ..." of range(0) characters: the quiet form, which touches no registry.
std::u16string QuietWords(benchmark::State& state) {
    std::u16string text;
    const size_t length = static_cast<size_t>(state.range(0));
    while (text.size() + 3 <= length)
        text += u"/q ";
    text.resize(length, u' ');
    return text;
}

void BM_Tokenizer(benchmark::State& state) {
    QuietWorld();
    const std::u16string text = QuietWords(state);
    for (auto _ : state)
        benchmark::DoNotOptimize(TokenizeArguments(text.c_str()));
    QuietWorld();
}
BENCHMARK(BM_Tokenizer)->Arg(kSmall)->Arg(kLarge)->Arg(kLargest);

void BM_Command(benchmark::State& state) {
    QuietWorld();
    const std::u16string text = QuietWords(state);
    const size_t before = StandInAllocationCount();
    for (auto _ : state)
        benchmark::DoNotOptimize(Torvane(text.c_str()));
    CountAllocations(state, before);
    QuietWorld();
}
BENCHMARK(BM_Command)->Arg(kSmall)->Arg(kLarge)->Arg(kLargest);

// 'a', reported by its code: only the modifier keys are read.
void BM_UnrelatedKey(benchmark::State& state) {
    QuietWorld();
    SaveArgs(8);
    BenchLine line(u"copy a b", 8, 'a');
    const size_t before = StandInAllocationCount();
    for (auto _ : state) {
        line.record.keyCode = 'a';
        benchmark::DoNotOptimize(key(&line.record));
    }
    CountAllocations(state, before);
    QuietWorld();
}
BENCHMARK(BM_UnrelatedKey);

void BM_ModifierQueries(benchmark::State& state) {
    QuietWorld();
    for (auto _ : state) {
        benchmark::DoNotOptimize(PlatformKeyHeld(kVkShift));
        benchmark::DoNotOptimize(PlatformKeyHeld(kVkControl));
        benchmark::DoNotOptimize(PlatformKeyHeld(kVkMenu));
    }
}
BENCHMARK(BM_ModifierQueries);

} // namespace
