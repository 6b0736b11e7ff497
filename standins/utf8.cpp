#include "standins/utf8.h"

char32_t CharacterAt(const char16_t* text, size_t length, size_t i, size_t* units) {
    *units = 1;
    if (!IsHighSurrogate(text[i]) || i + 1 >= length || !IsLowSurrogate(text[i + 1]))
        return text[i];
    *units = 2;
    return 0x10000 + ((static_cast<char32_t>(text[i]) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
}

size_t Utf16Units(char32_t ch, char16_t units[2]) {
    if (ch < 0x10000) {
        units[0] = static_cast<char16_t>(ch);
        return 1;
    }
    units[0] = static_cast<char16_t>(0xD800 + ((ch - 0x10000) >> 10));
    units[1] = static_cast<char16_t>(0xDC00 + ((ch - 0x10000) & 0x3FF));
    return 2;
}

void AppendUtf8(std::string* out, char32_t ch) {
    if (ch < 0x80) {
        *out += static_cast<char>(ch);
        return;
    }
    // The lead byte carries the length and the top bits; each following byte six more bits.
    int following = ch < 0x800 ? 1 : ch < 0x10000 ? 2 : 3;
    constexpr unsigned char kLead[] = {0, 0xC0, 0xE0, 0xF0};
    *out += static_cast<char>(kLead[following] | (ch >> (6 * following)));
    for (int shift = 6 * (following - 1); shift >= 0; shift -= 6)
        *out += static_cast<char>(0x80 | ((ch >> shift) & 0x3F));
}

std::string ToUtf8(const char16_t* text, size_t length) {
    std::string out;
    size_t units = 1;
    for (size_t i = 0; i < length; i += units) {
        char32_t ch = CharacterAt(text, length, i, &units);
        AppendUtf8(&out, IsSurrogate(ch) ? U'\uFFFD' : ch);
    }
    return out;
}

std::string ToUtf8(const std::u16string& text) {
    return ToUtf8(text.data(), text.size());
}

std::u16string FromUtf8(const std::string& bytes) {
    std::u16string out;
    size_t i = 0;
    while (i < bytes.size()) {
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        char32_t c = 0xFFFD;
        size_t need = 0;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            need = 1;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            need = 2;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            need = 3;
        }
        ++i;
        bool ok = b < 0x80 || need > 0;
        for (size_t k = 0; k < need; ++k, ++i) {
            if (i >= bytes.size() || (static_cast<unsigned char>(bytes[i]) & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            c = (c << 6) | (static_cast<unsigned char>(bytes[i]) & 0x3F);
        }
        if (!ok || c > 0x10FFFF || IsSurrogate(c)) c = 0xFFFD;
        char16_t units[2];
        out.append(units, Utf16Units(c, units));
    }
    return out;
}
