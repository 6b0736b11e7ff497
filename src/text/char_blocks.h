// Eight UTF-16 characters at a time, for the scans of long lines: a block is loaded through
// memcpy (no alignment or aliasing assumptions), and only where the caller's bound allows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// A block of characters and the lanes a comparison of blocks sets (SSE2 on x86-64).
typedef uint16_t CharBlock __attribute__((vector_size(16)));
typedef int16_t LaneMask __attribute__((vector_size(16)));

constexpr size_t kBlockChars = sizeof(CharBlock) / sizeof(char16_t);

// A block of eight copies of ch, to compare blocks with.
constexpr CharBlock Splat(char16_t ch) {
    return CharBlock{ch, ch, ch, ch, ch, ch, ch, ch};
}

inline CharBlock LoadBlock(const char16_t* text) {
    CharBlock block;
    std::memcpy(&block, text, sizeof block);
    return block;
}

inline bool AnyLane(LaneMask lanes) {
    uint64_t halves[2];
    std::memcpy(halves, &lanes, sizeof halves);
    return (halves[0] | halves[1]) != 0;
}

// The first index from i at which a block of text may hold a character that found marks: whole
// blocks without one are stepped over, four at a time while they fit. Never reads at or past end;
// the caller goes on one character at a time from the result. A stop in the first block returns
// at once, so text dense with stops costs one block test per character.
template <typename Found>
size_t SkipBlocks(const char16_t* text, size_t i, size_t end, Found found) {
    if (i + kBlockChars <= end && AnyLane(found(LoadBlock(text + i)))) return i;
    for (; i + 4 * kBlockChars <= end; i += 4 * kBlockChars) {
        const char16_t* p = text + i;
        if (AnyLane(found(LoadBlock(p)) | found(LoadBlock(p + kBlockChars)) |
                    found(LoadBlock(p + 2 * kBlockChars)) | found(LoadBlock(p + 3 * kBlockChars))))
            break;
    }
    for (; i + kBlockChars <= end; i += kBlockChars)
        if (AnyLane(found(LoadBlock(text + i)))) break;
    return i;
}
