// The UTF-8 and UTF-16 conversions of the native build's tools and stand-ins.
#include <gtest/gtest.h>

#include <string>

#include "standins/utf8.h"

namespace {

TEST(StandInUtf8, EachLengthAtItsBounds) {
    struct Case {
        char32_t ch;
        std::string bytes;
    };
    const Case cases[] = {
        {0x7F, "\x7F"},
        {0x80, "\xC2\x80"},
        {0x7FF, "\xDF\xBF"},
        {0x800, "\xE0\xA0\x80"},
        {0xFFFF, "\xEF\xBF\xBF"},
        {0x10000, "\xF0\x90\x80\x80"},
        {0x10FFFF, "\xF4\x8F\xBF\xBF"},
    };
    for (const auto& c : cases) {
        std::string out = "x";
        AppendUtf8(&out, c.ch);
        EXPECT_EQ(out, "x" + c.bytes) << std::hex << static_cast<uint32_t>(c.ch);
    }
}

TEST(StandInUtf8, SurrogatePairsBothWays) {
    struct Case {
        char32_t ch;
        std::u16string units;
    };
    const Case cases[] = {
        {0xFFFF, u"\uFFFF"},
        {0x10000, {0xD800, 0xDC00}},
        {0x1F600, {0xD83D, 0xDE00}},
        {0x10FFFF, {0xDBFF, 0xDFFF}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "U+" << std::hex << static_cast<uint32_t>(c.ch));
        char16_t units[2] = {};
        EXPECT_EQ(std::u16string(units, Utf16Units(c.ch, units)), c.units);
        size_t taken = 0;
        EXPECT_EQ(CharacterAt(c.units.data(), c.units.size(), 0, &taken), c.ch);
        EXPECT_EQ(taken, c.units.size());
    }
}

TEST(StandInUtf8, UnpairedSurrogatesStandForThemselves) {
    struct Case {
        std::u16string text;
        size_t at;
        char32_t ch;
    };
    const Case cases[] = {
        {{0xD83D}, 0, 0xD83D},                 // high at the end
        {{0xD83D, u'a'}, 0, 0xD83D},           // high before no low
        {{0xDE00, 0xD83D}, 0, 0xDE00},         // the pair the wrong way round
        {{0xD83D, 0xD83D, 0xDE00}, 0, 0xD83D}, // high before a whole pair
    };
    for (const auto& c : cases) {
        testing::Message row;
        for (char16_t unit : c.text)
            row << std::hex << static_cast<unsigned>(unit) << " ";
        SCOPED_TRACE(row << "at " << c.at);
        size_t units = 0;
        EXPECT_EQ(CharacterAt(c.text.data(), c.text.size(), c.at, &units), c.ch);
        EXPECT_EQ(units, 1u);
    }
}

TEST(StandInUtf8, WhatBecomesTheReplacementCharacter) {
    EXPECT_EQ(ToUtf8(u"a\u00E9\U0001F600"), "a\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(ToUtf8(std::u16string{u'a', 0xD83D}), "a\xEF\xBF\xBD");
    EXPECT_EQ(ToUtf8(std::u16string{0xDE00, 0xD83D}), "\xEF\xBF\xBD\xEF\xBF\xBD");
    struct Case {
        std::string bytes;
        std::u16string text;
    };
    const Case cases[] = {
        {"a\xC3\xA9\xF0\x9F\x98\x80", u"a\u00E9\U0001F600"},
        {"\x80", u"\uFFFD"}, // a continuation byte first
        {"\xC3"
         "a",
         u"\uFFFDa"},                    // cut short
        {"\xED\xA0\xBD", u"\uFFFD"},     // a surrogate's code
        {"\xF4\x90\x80\x80", u"\uFFFD"}, // beyond U+10FFFF
    };
    for (const auto& c : cases)
        EXPECT_EQ(FromUtf8(c.bytes), c.text) << c.bytes;
}

} // namespace
