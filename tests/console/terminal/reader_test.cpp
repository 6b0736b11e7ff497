// The console's input reader over a pipe: what is typed arrives in parts, some after a pause, and
// the input ends or cannot be read.
#include <fcntl.h>

#include "console/terminal/reader.h"
#include "tests/console/terminal/typed_input.h"

namespace {

// Input that arrives in parts.
struct Part {
    std::string bytes;
    int items;          // read after it comes (after the last part: all up to the end)
    bool pause = false; // it comes a pause after the reader began waiting for it
};

// Types each part and then reads as many items as it is given; after the last part the items are
// read up to the end.
std::vector<std::string> Read(const std::vector<Part>& parts) {
    int fds[2];
    KeyReader reader = PipeReader(fds);
    std::vector<std::string> items;
    for (size_t p = 0; p < parts.size(); ++p) {
        bool last = p + 1 == parts.size();
        std::thread later;
        if (parts[p].pause) {
            later = TypeLater(fds[1], {parts[p].bytes}, last);
        } else {
            Write(fds[1], parts[p].bytes);
            if (last) close(fds[1]);
        }
        ReadItems(&reader, last ? -1 : parts[p].items, &items);
        if (later.joinable()) later.join();
    }
    close(fds[0]);
    return items;
}

TEST(ConsoleTerminalReader, PartsEndsAndDroppedSequences) {
    const std::string longSequence = "\x1b[" + std::string(300, '1');
    struct Case {
        std::vector<Part> parts;
        std::vector<std::string> items;
    };
    const Case cases[] = {
        {{{"ab", 0}}, {"a", "b", "end"}},
        {{{"", 0}}, {"end"}},
        {{{"\x1b", 0}}, {"Esc", "end"}},           // a lone escape at the end is Esc
        {{{"\x1bO", 0}, {"R", 0}}, {"F3", "end"}}, // a sequence in two parts
        // Dropped for its length: the rest that comes later is skipped, nothing of it typed.
        {{{longSequence, 1}, {"23;5Ax", 0}}, {"ignored", "x", "end"}},
        {{{longSequence, 1}, {"23\x01y", 0}}, {"ignored", "Ctrl-A", "y", "end"}}, // cut short
        {{{longSequence + "A", 0}}, {"Up", "end"}}, // whole: a key, however long
        // Past the reader's buffer, of every kind: the key after the sequence is the next item.
        {{{"\x1b[" + std::string(140000, '1') + "Ax", 0}}, {"ignored", "x", "end"}},
        {{{"\x1b]52;c;" + std::string(70000, 'Y') + "\x07x", 0}}, {"ignored", "x", "end"}},
        {{{"\x1bP" + std::string(300, 'a'), 1}, {"bc\x1b\\x", 0}}, {"ignored", "x", "end"}},
        {{{"\x1b_" + std::string(300, 'a') + "\x1b", 1}, {"\\x", 0}}, {"ignored", "x", "end"}},
        {{{"\x1b^" + std::string(300, 'a'), 1}, {"\x1bOR", 0}}, {"ignored", "F3", "end"}},
        {{{"\x1bX" + std::string(300, 'a'), 1}, {"b\ry\x07z", 0}}, {"ignored", "z", "end"}},
        {{{"\x1b\x1b[" + std::string(300, '1'), 1}, {"23Ax", 0}}, {"ignored", "x", "end"}},
        {{{"\x1b\x1b]" + std::string(300, 'a'), 1}, {"\x07x", 0}}, {"ignored", "x", "end"}},
        {{{"\xc2\x9d" + std::string(300, 'a') + "\xc2", 1}, {"\x9cx", 0}}, {"ignored", "x", "end"}},
        {{{"\x9b" + std::string(300, '1'), 1}, {"Ax", 0}}, {"ignored", "x", "end"}},
        {{{"\x1b\xc2\x9b" + std::string(300, '1'), 1}, {"Ax", 0}}, {"ignored", "x", "end"}},
        // A pause ends it: what is typed after the pause is kept, with or without a byte that may
        // have begun a terminator before it.
        {{{longSequence, 1}, {"x\r", 0, true}}, {"ignored", "x", "Enter", "end"}},
        {{{longSequence, 1}, {"23;5A", 0, true}}, {"ignored", "2", "3", ";", "5", "A", "end"}},
        {{{"\x1b]" + std::string(300, 'a'), 1}, {"ls\r", 0, true}},
         {"ignored", "l", "s", "Enter", "end"}},
        {{{"\x1b]" + std::string(300, 'a') + "\x1b", 1}, {"\\", 0, true}},
         {"ignored", "\\", "end"}},
        // A long sequence that ended leaves nothing to skip: what comes after it is typed.
        {{{"\x1b[?" + std::string(300, '1') + "c", 1}, {"echo", 0}},
         {"ignored", "e", "c", "h", "o", "end"}},
        {{{longSequence + "A", 1}, {"ab", 0}}, {"Up", "a", "b", "end"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Read(c.parts), c.items) << c.parts[0].bytes.substr(0, 8);
}

TEST(ConsoleTerminalReader, AnInputThatIsNotOpenEndsTheReading) {
    int fd = open("/dev/null", O_RDONLY);
    close(fd);
    KeyReader reader = ReaderOf(fd, false);
    DecodedInput item{};
    EXPECT_EQ(ReadNext(&reader, &item, false), InputEvent::kInvalid);
    EXPECT_EQ(reader.problem, "standard input is not open");
    EXPECT_EQ(ReadNext(&reader, &item, false), InputEvent::kInvalid) << "and stays ended";
}

} // namespace
