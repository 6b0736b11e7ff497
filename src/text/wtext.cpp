#include "text/wtext.h"

#include <cstdint>

#include "text/char_blocks.h"
#include "text/chars.h"

size_t TextLength(const char16_t* text) {
    size_t n = 0;
    while (text[n] != 0)
        ++n;
    return n;
}

size_t TextLengthBounded(const char16_t* text, size_t cap) {
    size_t n = 0;
    while (n < cap && text[n] != 0)
        ++n;
    return n;
}

size_t TextLengthInBuffer(const char16_t* text, size_t cap) {
    size_t n = SkipBlocks(text, 0, cap, [](CharBlock block) { return block == Splat(0); });
    while (n < cap && text[n] != 0)
        ++n;
    return n;
}

size_t CopyText(char16_t* dst, size_t cap, const char16_t* src) {
    if (cap == 0) return 0;
    size_t n = 0;
    while (n + 1 < cap && src[n] != 0) {
        dst[n] = src[n];
        ++n;
    }
    dst[n] = 0;
    return n;
}

size_t CopyVisibleText(char16_t* dst, size_t cap, const char16_t* src) {
    if (cap == 0) return 0;
    size_t n = 0;
    for (; n + 1 < cap && src[n] != 0; ++n)
        dst[n] = VisibleChar(src[n]);
    dst[n] = 0;
    return n;
}

size_t AppendText(char16_t* dst, size_t cap, const char16_t* src) {
    size_t used = TextLengthBounded(dst, cap);
    if (used >= cap) return used;
    return used + CopyText(dst + used, cap - used, src);
}

bool TextEquals(const char16_t* a, const char16_t* b) {
    for (;; ++a, ++b) {
        if (*a != *b) return false;
        if (*a == 0) return true;
    }
}

namespace {

// Writes decimal digits of value, with a leading minus when negative is set.
size_t PutNumber(char16_t* out, size_t cap, size_t at, uint32_t value, bool negative) {
    char16_t digits[12];
    size_t n = 0;
    do {
        digits[n++] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    if (negative) digits[n++] = u'-';
    while (n > 0 && at + 1 < cap)
        out[at++] = digits[--n];
    return at;
}

} // namespace

size_t FormatTextV(char16_t* out, size_t cap, const char16_t* format, va_list args) {
    if (cap == 0) return 0;
    size_t at = 0;
    for (const char16_t* f = format; *f != 0 && at + 1 < cap; ++f) {
        if (*f != u'%' || f[1] == 0) {
            out[at++] = *f;
            continue;
        }
        char16_t directive = *++f;
        if (directive == u's') {
            const char16_t* s = va_arg(args, const char16_t*);
            if (s == nullptr) s = u"(null)";
            while (*s != 0 && at + 1 < cap)
                out[at++] = *s++;
        } else if (directive == u'd') {
            int32_t v = va_arg(args, int32_t);
            uint32_t magnitude = v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
            at = PutNumber(out, cap, at, magnitude, v < 0);
        } else if (directive == u'u') {
            at = PutNumber(out, cap, at, va_arg(args, uint32_t), false);
        } else if (directive == u'%') {
            out[at++] = u'%';
        } else {
            out[at++] = u'%';
            if (at + 1 < cap) out[at++] = directive;
        }
    }
    out[at] = 0;
    return at;
}

size_t FormatText(char16_t* out, size_t cap, const char16_t* format, ...) {
    va_list args;
    va_start(args, format);
    size_t n = FormatTextV(out, cap, format, args);
    va_end(args);
    return n;
}
