// Where a line's arguments start, read only inside the line's buffer.
#include <algorithm>
#include <vector>

#include "world.h"

namespace {

using RecallFindArgs = World;

struct FindArgsCase {
    std::u16string line;
    int breakAtSlash;
    const char16_t* args; // null: none
    size_t size = 0; // the buffer: exactly this many characters; 0: the line and its terminator
};

TEST_F(RecallFindArgs, FindArgsTable) {
    const FindArgsCase cases[] = {
        {u"copy a.txt b.txt", 1, u"a.txt b.txt"},
        {u"   dir   /w  ", 1, u"/w  "},
        {u"dir/w /s", 1, u"/w /s"},
        {u"dir/w /s", 0, u"/s"},
        {u"/x/y z", 1, u"z"},
        {u"\"my prog\" -v", 1, u"-v"},
        {u"\"c:/my prog\"/q", 1, u"/q"},
        {u"\"a/b\"c d", 1, u"d"},
        {u"cls", 1, nullptr},
        {u"cls   ", 1, nullptr},
        {u"", 1, nullptr},
        {u" \t ", 1, nullptr},
        {u"echo\t\"x y\" \"", 1, u"\"x y\" \""},
        {u"a\u00A0b", 1, u"b"},
        {u"a\u3000b", 1, u"b"},
        {u"a\u00E9b c", 1, u"c"},
        {u"\"unclosed quote", 1, nullptr},
        {Word(1) + u" x", 1, u"x"},
        {Word(3) + u" x", 1, u"x"},
        {Word(4) + u" x", 1, u"x"},
        {Word(5) + u" x", 1, u"x"},
        {Word(7) + u" x", 1, u"x"},
        {Word(8) + u" x", 1, u"x"},
        {Word(9) + u" x", 1, u"x"},
        {Word(31) + u" x", 1, u"x"},
        {Word(32) + u" x", 1, u"x"},
        {Word(33) + u" x", 1, u"x"},
        {Word(8), 1, nullptr},
        {Word(32), 1, nullptr},
        {Word(33) + u"/x", 1, u"/x"},
        {Word(33) + u"/x y", 0, u"y"},
        {Word(7) + u"\"" + Word(40) + u" /q\" x", 1, u"x"},
        {Word(40) + u"\u00E9" + Word(20) + u" x", 1, u"x"},
        {Word(40) + u"\u3000x", 1, u"x"},
        {Word(40) + u"\u00A0x", 1, u"x"},
        {Word(40) + u"\tx", 1, u"x"},
        {Word(40) + u"\u0001" + Word(9) + u" x", 1, u"x"},
        {u"/" + Word(40) + u"/y z", 1, u"z"},
        {u"a\u0100b c", 1, u"c"},    // the first character past Latin-1
        {u"\"a\u0100\" c", 1, u"c"}, // the same inside quotes, classed one by one
        {u"copy" + std::u16string(8, u' ') + u"xy z", 1, u"xy z"}, // a whole block of blanks
        // The line ends at its terminator, whatever the buffer holds after it.
        {u"cls   ", 1, nullptr, 64},
        {u"\"" + Word(20) + std::u16string(1, u'\0') + Word(20) + u"\" d", 1, nullptr},
        // Buffers without a terminator: the last slot is the terminator's, the line ends before it.
        {u"abc de", 1, nullptr, 4},
        {u"abc de", 1, nullptr, 5},
        {u"abc de", 1, u"d", 6},
        {Word(64), 1, nullptr, 64},
        {Word(40) + u" " + Word(23), 1, u"wwwwwwwwwwwwwwwwwwwwww",
         64}, // the 22 before the last slot
        {u"   ", 1, nullptr, 3},
        {u"\"" + Word(70), 1, nullptr, 71},
        {u"x", 1, nullptr, 1},
    };
    for (const auto& c : cases) {
        Settings.breakAtSlash = c.breakAtSlash;
        // A heap buffer of exactly the size, so that the sanitizers catch a read past it.
        const size_t size = c.size != 0 ? c.size : c.line.size() + 1;
        std::vector<char16_t> buffer(size, 0);
        std::copy_n(c.line.begin(), std::min(size, c.line.size()), buffer.begin());
        const char16_t* found = FindArgs(buffer.data(), size);
        if (c.args == nullptr) {
            EXPECT_EQ(found, nullptr) << "line: " << ToUtf8(c.line) << " size " << size;
        } else {
            ASSERT_NE(found, nullptr) << "line: " << ToUtf8(c.line) << " size " << size;
            const size_t at = static_cast<size_t>(found - buffer.data());
            const size_t end = std::min(size - 1, TextLengthBounded(found, size - at) + at);
            EXPECT_EQ(std::u16string(found, end - at), c.args) << "line: " << ToUtf8(c.line);
        }
    }
    EXPECT_EQ(FindArgs(nullptr, kLineBufferSize), nullptr);
    EXPECT_EQ(FindArgs(u"x y", 0), nullptr) << "a buffer of no characters holds no line";
}

} // namespace
