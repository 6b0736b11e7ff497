// Times the real Torvane.dll, loaded next to the stand-in TakeCmd.dll as the host loads it: recall
// of 60,000 saved characters (insert and overwrite), capture of a 65,000-character line, and
// capture of a line whose command word is 65,000 characters above U+00FF (the cost of finding its
// arguments, which asks the system about those characters), each against memcpy of the same
// bytes in the same run. Prints one line per figure: its name and the ratio of the best of
// several repetitions. The capture of the long line is also given against its own floor on this
// system, "heap": allocating a block of the captured size, filling it and freeing it, as the
// capture does. Under Wine that block costs many times its memcpy, and by how much depends on
// the machine, so only a ratio to it says whether the capture itself got slower.
//
//   recall_ratio.exe      (from the folder that holds Torvane.dll and TakeCmd.dll)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/loader/plugin_loader.h"

namespace {

constexpr size_t kSavedLength = 60000;
constexpr size_t kCaptureLength = 65000;
constexpr size_t kShortLine = 7; // "notepad"
constexpr int32_t kHotkey = 0x1003D;
constexpr int kCallsPerRound = 200;
constexpr int kRounds = 15;

PluginExports plugin{};
char16_t line[kLineBufferSize];
char16_t source[kLineBufferSize];
char16_t target[kLineBufferSize];

// Keeps the compiler from dropping or merging writes to memory.
inline void Barrier() {
    asm volatile("" ::: "memory");
}

double Now() {
    LARGE_INTEGER count;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The time one call of work took, over a round of many calls.
template <typename Work> double Round(Work work) {
    double start = Now();
    for (int call = 0; call < kCallsPerRound; ++call)
        work();
    return (Now() - start) / kCallsPerRound;
}

// The shortest time one call of work took, over several rounds.
template <typename Work> double Best(Work work) {
    double best = 1e30;
    for (int round = 0; round < kRounds; ++round)
        best = std::min(best, Round(work));
    return best;
}

// The same for two works whose ratio is wanted, their rounds taken in turn: what the heap costs
// on a loaded machine swings from one moment to the next, and so both see the same moments.
template <typename First, typename Second>
void BestOfBoth(First first, Second second, double* firstBest, double* secondBest) {
    *firstBest = 1e30;
    *secondBest = 1e30;
    for (int round = 0; round < kRounds; ++round) {
        *firstBest = std::min(*firstBest, Round(first));
        *secondBest = std::min(*secondBest, Round(second));
    }
}

// What the recall benchmarks do per call besides the recall: restore the line's terminator.
double MemcpyFloor(size_t characters) {
    return Best([characters] {
        std::memcpy(target, source, characters * sizeof(char16_t));
        target[kShortLine] = 0;
        Barrier();
    });
}

// Enter on "copy " and length characters of 'a'.
void Capture(size_t length, KeystrokeRecord* record) {
    std::memset(line, 0, sizeof line);
    std::memcpy(line, u"copy ", 5 * sizeof(char16_t));
    for (size_t i = 5; i < length; ++i)
        line[i] = u'a';
    *record = KeystrokeRecord{};
    record->keyCode = 13;
    record->lineStart = line;
    record->cursorPos = line;
    plugin.key(record);
}

// Enter on a command word of length Cyrillic letters and the one argument "x".
void CaptureWideWord(size_t length, KeystrokeRecord* record) {
    std::memset(line, 0, sizeof line);
    for (size_t i = 0; i < length; ++i)
        line[i] = u'\u0436';
    std::memcpy(line + length, u" x", 2 * sizeof(char16_t));
    *record = KeystrokeRecord{};
    record->keyCode = 13;
    record->lineStart = line;
    record->cursorPos = line;
    plugin.key(record);
}

double Recall() {
    KeystrokeRecord record{};
    Capture(kSavedLength + 5, &record);
    std::memset(line, 0, sizeof line);
    std::memcpy(line, u"notepad", kShortLine * sizeof(char16_t));
    return Best([&record] {
        record.keyCode = kHotkey;
        record.lineStart = line;
        record.cursorPos = line + kShortLine;
        plugin.key(&record);
        line[kShortLine] = 0;
        Barrier();
    });
}

} // namespace

int wmain() {
    HostControls host{};
    HMODULE module = nullptr;
    std::string why;
    if (!LoadPluginWithHost(&plugin, &host, &module, &why)) {
        std::fprintf(stderr, "%s\n", why.c_str());
        return 1;
    }
    // The stand-in host keeps no output and no ClearEditLine positions: only the DLL is timed.
    auto setRecording = reinterpret_cast<void (*)(int)>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"TakeCmd.dll"), "HostSetRecording")));
    if (setRecording == nullptr) {
        std::fprintf(stderr, "TakeCmd.dll lacks HostSetRecording\n");
        return 1;
    }
    setRecording(0);
    plugin.initializePlugin();
    for (size_t i = 0; i < kLineBufferSize; ++i)
        source[i] = u'a';

    plugin.torvane(u"/O:N /Q");
    const double insert = Recall();
    plugin.torvane(u"/O:Y /Q");
    const double overwrite = Recall();
    const double recallFloor = MemcpyFloor(kSavedLength);

    KeystrokeRecord record{};
    Capture(kCaptureLength, &record);
    double capture = 0;
    double heap = 0;
    BestOfBoth(
        [&record] {
            record.keyCode = 13;
            plugin.key(&record);
        },
        [] {
            const size_t bytes = (kCaptureLength - 5 + 1) * sizeof(char16_t);
            void* block = HeapAlloc(GetProcessHeap(), 0, bytes);
            std::memcpy(block, source, bytes);
            Barrier();
            HeapFree(GetProcessHeap(), 0, block);
        },
        &capture, &heap);
    const double captureFloor = MemcpyFloor(kCaptureLength);
    CaptureWideWord(kCaptureLength, &record);
    const double wideWord = Best([&record] {
        record.keyCode = 13;
        plugin.key(&record);
    });
    plugin.shutdownPlugin();

    std::printf("recall-insert %.2f\n", insert / recallFloor);
    std::printf("recall-overwrite %.2f\n", overwrite / recallFloor);
    std::printf("capture %.2f\n", capture / captureFloor);
    std::printf("capture-over-heap %.2f\n", capture / heap);
    std::printf("capture-wide-word %.2f\n", wideWord / captureFloor);
    std::printf("heap %.2f\n", heap / captureFloor);
    return 0;
}
