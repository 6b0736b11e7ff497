// The character rules of the whole plug-in, in one place. They never depend on a locale.
#pragma once

#include <cstddef>

#include "platform/platform.h"
#include "text/char_blocks.h"

// The blanks up to U+00FF: U+0009 to U+000D, U+0020 and U+00A0.
constexpr bool IsLatin1Blank(char16_t ch) {
    return (ch >= 0x09 && ch <= 0x0D) || ch == 0x20 || ch == 0xA0;
}

// A blank: the blanks up to U+00FF, and above U+00FF what the system calls a space.
inline bool IsBlank(char16_t ch) {
    if (ch <= 0xFF) return IsLatin1Blank(ch);
    return PlatformIsSpace(ch);
}

// The first index from i, at most end, that does not hold a character above U+00FF that is no
// blank: steps over a run of such characters, asking the system about the whole run at once
// rather than one character at a time. A caller that stops there finds the run's end, or the
// blank that cut it short, exactly as IsBlank would, character by character.
inline size_t SkipWideNonBlanks(const char16_t* text, size_t i, size_t end) {
    size_t runEnd = SkipBlocks(text, i, end, [](CharBlock block) { return block <= Splat(0xFF); });
    while (runEnd < end && text[runEnd] > 0xFF)
        ++runEnd;
    return i + PlatformSpanWithoutSpace(text + i, runEnd - i);
}

// How trace lines show a character, so that typed control codes cannot drive the terminal: C0
// controls as their control pictures (U+2400 to U+241F), DEL as U+2421, C1 controls as U+FFFD.
constexpr char16_t VisibleChar(char16_t ch) {
    if (ch < 0x20) return static_cast<char16_t>(0x2400 + ch);
    if (ch == 0x7F) return 0x2421;
    if (ch >= 0x80 && ch <= 0x9F) return 0xFFFD;
    return ch;
}

// A letter: A to Z, a to z, and beyond ASCII what the system calls alphabetic.
inline bool IsLetter(char16_t ch) {
    if (ch < 0x80) return (ch >= u'A' && ch <= u'Z') || (ch >= u'a' && ch <= u'z');
    return PlatformIsAlpha(ch);
}

// Folds only A to Z to a to z: comparisons of names ignore ASCII case and nothing else.
inline char16_t FoldAscii(char16_t ch) {
    return (ch >= u'A' && ch <= u'Z') ? ch + 0x20 : ch;
}

// Upper-cases only a to z; every other character stays as it is.
inline char16_t UpperAscii(char16_t ch) {
    return (ch >= u'a' && ch <= u'z') ? ch - 0x20 : ch;
}

// Whole-string comparison that treats A to Z as equal to a to z.
inline bool EqualsIgnoreCase(const char16_t* a, const char16_t* b) {
    for (;; ++a, ++b) {
        if (FoldAscii(*a) != FoldAscii(*b)) return false;
        if (*a == 0) return true;
    }
}
