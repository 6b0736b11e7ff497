// Turns fuzzer bytes into the plug-in's inputs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Reads pairs of bytes as UTF-16 code units, at most limit of them.
inline std::u16string TextFromBytes(const uint8_t* data, size_t size, size_t limit) {
    std::u16string text;
    for (size_t i = 0; i + 1 < size && text.size() < limit; i += 2) {
        text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    }
    return text;
}
