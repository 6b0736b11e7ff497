// The bounded UTF-16 helpers at their bounds: capacity 0, 1, one short of the text, exact, one
// more; nothing is written at or past the capacity.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>
#include <string>

#include "standins/utf8.h"
#include "text/wtext.h"

namespace {

struct BoundCase {
    const char* what;
    std::function<size_t(char16_t*, size_t)> call;
    size_t cap;
    std::u16string text; // what the buffer holds up to its terminator; "untouched" when null
    size_t result;
};

constexpr size_t kBuffer = 16;
constexpr char16_t kFill = u'#';

// The buffer starts as "ab" and fill characters, so appends and untouched bytes both show.
void ExpectBounds(const std::vector<BoundCase>& cases) {
    for (const BoundCase& c : cases) {
        char16_t buffer[kBuffer];
        std::fill(std::begin(buffer), std::end(buffer), kFill);
        buffer[0] = u'a';
        buffer[1] = u'b';
        buffer[2] = 0;
        size_t result = c.call(buffer, c.cap);
        std::string row = std::string(c.what) + " cap " + std::to_string(c.cap);
        EXPECT_EQ(result, c.result) << row;
        EXPECT_EQ(std::u16string(buffer), c.text) << row;
        for (size_t i = std::max<size_t>(c.cap, 3); i < kBuffer; ++i)
            EXPECT_EQ(buffer[i], kFill) << row << " wrote at " << i;
    }
}

auto Copy(const char16_t* text) {
    return [text](char16_t* b, size_t cap) { return CopyText(b, cap, text); };
}
auto Visible(const char16_t* text) {
    return [text](char16_t* b, size_t cap) { return CopyVisibleText(b, cap, text); };
}
auto Append(const char16_t* text) {
    return [text](char16_t* b, size_t cap) { return AppendText(b, cap, text); };
}
template <typename... Args> auto Format(const char16_t* format, Args... args) {
    return [=](char16_t* b, size_t cap) { return FormatText(b, cap, format, args...); };
}

TEST(TextBounded, LengthLooksAtNoMoreThanCap) {
    const char16_t text[] = u"abc";
    const size_t expected[] = {0, 1, 2, 3, 3, 3};
    for (size_t cap = 0; cap < std::size(expected); ++cap)
        EXPECT_EQ(TextLengthBounded(text, cap), expected[cap]) << cap;
    EXPECT_EQ(TextLength(text), 3u);
}

TEST(TextBounded, CopyAndAppendAtTheirBounds) {
    ExpectBounds({
        {"copy", Copy(u"wxyz"), 0, u"ab", 0},
        {"copy", Copy(u"wxyz"), 1, u"", 0},
        {"copy", Copy(u"wxyz"), 4, u"wxy", 3},
        {"copy", Copy(u"wxyz"), 5, u"wxyz", 4},
        {"copy", Copy(u"wxyz"), 6, u"wxyz", 4},
        {"visible", Visible(u"w\u0001y\u007F"), 0, u"ab", 0},
        {"visible", Visible(u"w\u0001y\u007F"), 1, u"", 0},
        {"visible", Visible(u"w\u0001y\u007F"), 4, u"w\u2401y", 3},
        {"visible", Visible(u"w\u0001y\u007F"), 5, u"w\u2401y\u2421", 4},
        {"visible C1", Visible(u"\u0080\u009F\u00A0"), 4, u"\uFFFD\uFFFD\u00A0", 3},
        {"append", Append(u"cd"), 0, u"ab", 0},
        {"append", Append(u"cd"), 2, u"ab", 2}, // no terminator inside the capacity
        {"append", Append(u"cd"), 3, u"ab", 2},
        {"append", Append(u"cd"), 4, u"abc", 3},
        {"append", Append(u"cd"), 5, u"abcd", 4},
        {"append", Append(u"cd"), 6, u"abcd", 4},
    });
}

TEST(TextBounded, FormatAtItsBounds) {
    ExpectBounds({
        {"plain", Format(u"wxyz"), 0, u"ab", 0},
        {"plain", Format(u"wxyz"), 1, u"", 0},
        {"plain", Format(u"wxyz"), 4, u"wxy", 3},
        {"plain", Format(u"wxyz"), 5, u"wxyz", 4},
        {"%s", Format(u"<%s>", u"wxyz"), 5, u"<wxy", 4},
        {"%s", Format(u"<%s>", u"wxyz"), 7, u"<wxyz>", 6},
        {"%s null", Format(u"%s", static_cast<const char16_t*>(nullptr)), 8, u"(null)", 6},
        {"%d", Format(u"%d", 12345), 3, u"12", 2},
        {"%d", Format(u"%d", 12345), 6, u"12345", 5},
        {"%d min", Format(u"%d", INT32_MIN), 12, u"-2147483648", 11},
        {"%d zero", Format(u"%d", 0), 2, u"0", 1},
        {"%d minus one", Format(u"%d", -1), 3, u"-1", 2},
        {"%u max", Format(u"%u", UINT32_MAX), 11, u"4294967295", 10},
        {"%%", Format(u"1%%2"), 4, u"1%2", 3},
        {"unknown", Format(u"%x"), 2, u"%", 1},
        {"unknown", Format(u"%x"), 3, u"%x", 2},
        {"trailing %", Format(u"a%"), 3, u"a%", 2},
    });
}

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
