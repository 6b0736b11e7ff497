#include <gtest/gtest.h>

#include <memory>
#include <string>

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

} // namespace
