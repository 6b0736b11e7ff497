// Key-name parsing and the hotkey listing: both run on fixed buffers and scale with the input.
#include <benchmark/benchmark.h>

#include <string>

#include "host/host_control.h"
#include "keys/key_names.h"
#include "keys/key_tables.h"
#include "plugin/host.h"

namespace {

// A valid name of about 5,000 characters: the Ctrl word repeated, then Alt and the key.
std::u16string LongValidName() {
    std::u16string name;
    while (name.size() < 5000)
        name += u"Control-";
    return name + u"Alt-PageUp";
}

void BM_ParseLongValidName(benchmark::State& state) {
    extendedKeys = state.range(0) != 0;
    const std::u16string name = LongValidName();
    for (auto _ : state)
        benchmark::DoNotOptimize(ParseKeyName(name.c_str()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(name.size() * sizeof(char16_t)));
    extendedKeys = false;
}
BENCHMARK(BM_ParseLongValidName)->Arg(0)->Arg(1);

void BM_ListHotkeys(benchmark::State& state) {
    extendedKeys = state.range(0) != 0;
    for (auto _ : state) {
        ListHotkeys(QPuts);
        HostClearOutput();
    }
    extendedKeys = false;
}
BENCHMARK(BM_ListHotkeys)->Arg(0)->Arg(1);

} // namespace
