#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "text/chars.h"
#include "text/wtext.h"

namespace {

struct LengthCase {
    size_t length; // characters before the terminator
    size_t cap;    // the buffer: exactly this many characters
    size_t expected;
};

TEST(TextLengthInBuffer, StopsAtTheTerminatorOrTheBound) {
    const LengthCase cases[] = {
        {0, 1, 0},
        {1, 2, 1},
        {3, 4, 3},
        {4, 5, 4},
        {5, 6, 5},
        {7, 8, 7},
        {8, 9, 8},
        {9, 10, 9},
        {31, 32, 31},
        {32, 33, 32},
        {33, 34, 33},
        {33, 100, 33},
        {0, 0, 0},
        {8, 8, 8},
        {9, 9, 9},
        {40, 40, 40},
        {40, 39, 39},
        {65535, 65536, 65535},
        {65536, 65536, 65536},
        {100, 65536, 100},
    };
    for (const auto& c : cases) {
        // A heap buffer of exactly cap characters, so that the sanitizers catch a read past it.
        auto buffer = std::make_unique<char16_t[]>(c.cap == 0 ? 1 : c.cap);
        for (size_t i = 0; i < c.cap; ++i)
            buffer[i] = i < c.length ? u'a' + static_cast<char16_t>(i % 26) : 0;
        EXPECT_EQ(TextLengthInBuffer(buffer.get(), c.cap), c.expected)
            << "length " << c.length << " cap " << c.cap;
    }
}

struct VisibleCase {
    char16_t ch;
    char16_t shown;
};

TEST(VisibleChar, ControlsBecomeSymbolsAndNothingElseChanges) {
    const VisibleCase cases[] = {
        {0x00, 0x2400},   {0x07, 0x2407},   {0x09, 0x2409}, {0x0A, 0x240A}, {0x0D, 0x240D},
        {0x1B, 0x241B},   {0x1F, 0x241F},   {0x20, 0x20},   {0x7E, 0x7E},   {0x7F, 0x2421},
        {0x80, 0xFFFD},   {0x85, 0xFFFD},   {0x9B, 0xFFFD}, {0x9F, 0xFFFD}, {0xA0, 0xA0},
        {0x2400, 0x2400}, {0xFFFD, 0xFFFD}, {u'a', u'a'},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VisibleChar(c.ch), c.shown) << "U+" << std::hex << static_cast<int>(c.ch);
}

TEST(CopyVisibleText, CutsToTheCapacityLikeCopyText) {
    char16_t out[4];
    EXPECT_EQ(CopyVisibleText(out, 4, u"\u001Bab\u0007"), 3u);
    EXPECT_EQ(std::u16string(out), u"\u241Bab");
    EXPECT_EQ(CopyVisibleText(out, 0, u"x"), 0u);
}

} // namespace
