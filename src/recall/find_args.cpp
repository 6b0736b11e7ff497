#include <array>
#include <cstdint>

#include "plugin/settings.h"
#include "recall/recall.h"
#include "text/char_blocks.h"
#include "text/chars.h"

namespace {

// What a character is to the scan of the command word.
enum WordClass : uint8_t { kPlain, kEnd, kQuote, kSlash, kBlank };

constexpr WordClass Latin1Class(char16_t ch) {
    if (ch == 0) return kEnd;
    if (ch == u'"') return kQuote;
    if (ch == u'/') return kSlash;
    return IsLatin1Blank(ch) ? kBlank : kPlain;
}

constexpr auto kLatin1Classes = [] {
    std::array<WordClass, 0x100> table{};
    for (char16_t ch = 0; ch < 0x100; ++ch)
        table[ch] = Latin1Class(ch);
    return table;
}();

// Only characters above U+00FF ask the system whether they are blanks.
inline WordClass ClassOf(char16_t ch) {
    if (ch <= 0xFF) return kLatin1Classes[ch];
    return IsBlank(ch) ? kBlank : kPlain;
}

// Blocks the word scan steps over hold only printable ASCII but the quote and the slash.
inline LaneMask WordStops(CharBlock block) {
    return (block - Splat(u'!') > Splat(u'~' - u'!')) | (block == Splat(u'"')) |
           (block == Splat(u'/'));
}
inline LaneMask QuotedStops(CharBlock block) {
    return (block == Splat(0)) | (block == Splat(u'"'));
}

constexpr bool WordStopsCoverEveryClass() {
    for (char16_t ch = u'!'; ch <= u'~'; ++ch)
        if (ch != u'"' && ch != u'/' && Latin1Class(ch) != kPlain) return false;
    return true;
}
static_assert(WordStopsCoverEveryClass(), "the word scan would step over a character that counts");

size_t SkipBlanks(const char16_t* line, size_t i, size_t end) {
    while (i < end && IsBlank(line[i]))
        ++i;
    return i;
}

} // namespace

const char16_t* FindArgs(const char16_t* line, size_t size) {
    if (line == nullptr || size == 0) return nullptr;
    const size_t end = size - 1; // the last slot is the terminator's: the line ends there at most
    size_t i = SkipBlanks(line, 0, end);
    if (i == end || line[i] == 0) return nullptr;
    // A line that starts with a slash is a switch-like command word: slashes never end it.
    const bool slashEnds = Settings.breakAtSlash != 0 && line[i] != u'/';
    bool inQuotes = false;
    for (;; ++i) {
        // Outside quotes, after the printable ASCII, runs of characters above U+00FF are stepped
        // over as a whole too: a word of them costs one question to the system, not one each.
        i = inQuotes ? SkipBlocks(line, i, end, QuotedStops)
                     : SkipWideNonBlanks(line, SkipBlocks(line, i, end, WordStops), end);
        if (i == end) return nullptr;
        const WordClass kind = ClassOf(line[i]);
        if (kind == kEnd) return nullptr;
        if (kind == kQuote) {
            inQuotes = !inQuotes;
            continue;
        }
        if (inQuotes) continue;
        if (kind == kBlank) break;
        if (kind == kSlash && slashEnds) break;
    }
    // A slash that ended the word is not a blank, so it stays as the first argument character.
    i = SkipBlanks(line, i, end);
    return i == end || line[i] == 0 ? nullptr : line + i;
}
