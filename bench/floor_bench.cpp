// The floors: memcpy of as many characters as each figure moves, measured in the same run, so
// scripts/bench can report every figure as a ratio to it.
#include "bench_world.h"

namespace {

// memcpy of range(0) characters, between two buffers of the host's line size.
void BM_Memcpy(benchmark::State& state) {
    static char16_t from[kLineBufferSize];
    static char16_t to[kLineBufferSize];
    std::fill(from, from + kLineBufferSize, u'a');
    const size_t count = static_cast<size_t>(state.range(0));
    for (auto _ : state) {
        CopyChars(to, from, count);
        to[7] = 0; // what the recall benchmarks restore each time
    }
}
BENCHMARK(BM_Memcpy)->Arg(kSmall)->Arg(kLarge)->Arg(kLargest);

} // namespace
