// Conversions between the plug-in's UTF-16 and the UTF-8 of terminals and files. Used by the
// stand-ins, the console, the Windows programs that load the plug-in and the tests, never by the
// plug-in's own logic: so they live here, not with the UTF-16 helpers of src/text that go into
// Torvane.dll. A library of its own natively, which the console's terminal layer links alone.
#pragma once

#include <cstddef>
#include <string>

inline bool IsHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
inline bool IsLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}
inline bool IsSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDFFF;
}

// The character at text[i] (i < length) and its units: 2 for a pair, else 1 (unpaired too).
char32_t CharacterAt(const char16_t* text, size_t length, size_t i, size_t* units);

// Writes ch (at most U+10FFFF) as UTF-16 into units; returns the number written, 1 or 2.
size_t Utf16Units(char32_t ch, char16_t units[2]);

// Appends ch as UTF-8: one byte below U+0080, up to four from U+10000 on.
void AppendUtf8(std::string* out, char32_t ch);

// Unpaired surrogates become U+FFFD.
std::string ToUtf8(const char16_t* text, size_t length);
std::string ToUtf8(const std::u16string& text);

// Malformed bytes become U+FFFD.
std::u16string FromUtf8(const std::string& bytes);
