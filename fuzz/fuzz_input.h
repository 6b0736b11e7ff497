// Turns fuzzer bytes into the plug-in's inputs, written straight into buffers the targets keep
// from run to run.
#pragma once

#include <cstddef>
#include <cstdint>

// Reads pairs of bytes as UTF-16 code units into out, up to a zero unit and at most cap - 1 of
// them, and terminates the text; returns its length.
inline size_t TextIntoBuffer(const uint8_t* data, size_t size, char16_t* out, size_t cap) {
    size_t n = 0;
    for (size_t i = 0; i + 1 < size && n + 1 < cap; i += 2) {
        const char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (unit == 0) break;
        out[n++] = unit;
    }
    out[n] = 0;
    return n;
}
