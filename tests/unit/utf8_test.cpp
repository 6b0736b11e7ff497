// The UTF-8 and UTF-16 conversions of the native build's tools and stand-ins.
#include <gtest/gtest.h>

#include <string>

#include "standins/utf8.h"

namespace {

TEST(Utf8, EachLengthAtItsBounds) {
    struct Case {
        char32_t ch;
        std::string bytes;
    };
    const Case cases[] = {
        {0x00, std::string(1, '\0')},
        {0x41, "A"},
        {0x7F, "\x7F"},
        {0x80, "\xC2\x80"},
        {0xE9, "\xC3\xA9"},
        {0x7FF, "\xDF\xBF"},
        {0x800, "\xE0\xA0\x80"},
        {0x4E2D, "\xE4\xB8\xAD"},
        {0xFFFF, "\xEF\xBF\xBF"},
        {0x10000, "\xF0\x90\x80\x80"},
        {0x1F600, "\xF0\x9F\x98\x80"},
        {0x10FFFF, "\xF4\x8F\xBF\xBF"},
    };
    for (const auto& c : cases) {
        std::string out = "x";
        AppendUtf8(&out, c.ch);
        EXPECT_EQ(out, "x" + c.bytes) << std::hex << static_cast<uint32_t>(c.ch);
    }
}

TEST(Utf8, SurrogatePairsBothWays) {
    struct Case {
        char32_t ch;
        std::u16string units;
    };
    const Case cases[] = {
        {0x41, u"A"},
        {0xFFFF, u"\uFFFF"},
        {0x10000, {0xD800, 0xDC00}},
        {0x1F600, {0xD83D, 0xDE00}},
        {0x10FFFF, {0xDBFF, 0xDFFF}},
    };
    for (const auto& c : cases) {
        char16_t units[2] = {};
        size_t count = Utf16Units(c.ch, units);
        EXPECT_EQ(std::u16string(units, count), c.units) << std::hex << static_cast<uint32_t>(c.ch);
        size_t taken = 0;
        EXPECT_EQ(CharacterAt(c.units.data(), c.units.size(), 0, &taken), c.ch);
        EXPECT_EQ(taken, c.units.size());
    }
}

TEST(Utf8, UnpairedSurrogatesStandForThemselves) {
    struct Case {
        std::u16string text;
        size_t at;
        char32_t ch;
        size_t units;
    };
    const Case cases[] = {
        {{0xD83D}, 0, 0xD83D, 1},                 // high at the end
        {{0xD83D, u'a'}, 0, 0xD83D, 1},           // high before no low
        {{0xDE00, 0xD83D}, 0, 0xDE00, 1},         // the pair the wrong way round
        {{0xD83D, 0xD83D, 0xDE00}, 0, 0xD83D, 1}, // high before a whole pair
        {{0xD83D, 0xD83D, 0xDE00}, 1, 0x1F600, 2},
        {{u'a', 0xD83D, 0xDE00}, 2, 0xDE00, 1}, // the low half on its own
    };
    for (const auto& c : cases) {
        size_t units = 0;
        EXPECT_EQ(CharacterAt(c.text.data(), c.text.size(), c.at, &units), c.ch) << c.at;
        EXPECT_EQ(units, c.units) << c.at;
    }
}

TEST(Utf8, WholeTextsAndWhatBecomesTheReplacementCharacter) {
    struct Case {
        std::u16string text;
        std::string bytes;
    };
    const Case both[] = {
        {u"", ""},
        {u"a\u00E9\u4E2D\U0001F600", "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80"},
    };
    for (const auto& c : both) {
        EXPECT_EQ(ToUtf8(c.text), c.bytes);
        EXPECT_EQ(FromUtf8(c.bytes), c.text);
    }
    const Case toUtf8[] = {
        {{u'a', 0xD83D}, "a\xEF\xBF\xBD"},
        {{0xDE00, 0xD83D, u'b'},
         "\xEF\xBF\xBD\xEF\xBF\xBD"
         "b"},
    };
    for (const auto& c : toUtf8)
        EXPECT_EQ(ToUtf8(c.text), c.bytes);
    const Case fromUtf8[] = {
        {u"\uFFFD", "\x80"}, // a continuation byte first
        {u"\uFFFDa", "\xC3"
                     "a"},               // cut short
        {u"\uFFFD", "\xED\xA0\xBD"},     // a surrogate's code
        {u"\uFFFD", "\xF4\x90\x80\x80"}, // beyond U+10FFFF
        {u"\uFFFD\uFFFD", "\xFF\xFE"},   // bytes that begin nothing
    };
    for (const auto& c : fromUtf8)
        EXPECT_EQ(FromUtf8(c.bytes), c.text) << c.bytes;
}

} // namespace
