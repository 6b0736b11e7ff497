// The console's input reader over a pipe: what is typed arrives in parts, some after a pause, and
// the input ends or cannot be read; the pager of long output reads from it too.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "console/session/host_keys.h"
#include "console/terminal/help_box.h"
#include "console/terminal/reader.h"

namespace {

std::string Describe(const KeyReader& reader, InputEvent event, const DecodedInput& item) {
    if (event == InputEvent::kEnded) return "end";
    if (event == InputEvent::kInvalid) return "invalid: " + reader.problem;
    if (item.kind == InputKind::kText) return std::string(1, static_cast<char>(item.text));
    if (item.kind == InputKind::kKey) {
        char16_t name[48];
        ConsoleKeyName(item.key, item.modifiers, name, 48);
        return std::string(name, name + std::char_traits<char16_t>::length(name));
    }
    if (item.kind == InputKind::kPasteBegin) return "paste begin";
    if (item.kind == InputKind::kPasteEnd) return "paste end";
    return item.kind == InputKind::kIgnored ? "ignored" : "other";
}

// Well past the reader's wait for the rest of a sequence: a pause in the typing.
constexpr int kPauseMs = 150;

// Input that arrives in parts.
struct Part {
    std::string bytes;
    int items;          // read after it comes (after the last part: all up to the end)
    bool pause = false; // it comes a pause after the reader began waiting for it
};

void Write(int fd, const std::string& bytes) {
    EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

// Writes each part a pause after the one before, as someone typing while the reader waits; then
// closes fd if asked.
std::thread TypeLater(int fd, const std::vector<std::string>& parts, bool closeAfter) {
    return std::thread([=] {
        for (const std::string& bytes : parts) {
            usleep(kPauseMs * 1000);
            Write(fd, bytes);
        }
        if (closeAfter) close(fd);
    });
}

KeyReader PipeReader(int fds[2]) {
    EXPECT_EQ(pipe(fds), 0);
    fcntl(fds[1], F_SETPIPE_SZ, 1 << 18); // room for a part longer than the reader's buffer
    return ReaderOf(fds[0], false);
}

// Reads count items, or all up to the end when count is negative.
void ReadItems(KeyReader* reader, int count, std::vector<std::string>* items) {
    for (int n = 0; count < 0 || n < count; ++n) {
        DecodedInput item{};
        InputEvent event = ReadNext(reader, &item, false);
        items->push_back(Describe(*reader, event, item));
        if (event != InputEvent::kItem) return;
    }
}

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

TEST(ConsoleInput, PartsEndsAndDroppedSequences) {
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

// The pager takes single pager keys; a paste and text typed ahead end its wait and stay for the
// edit line. ahead is there when the page fills; each part of later comes a pause after the last.
TEST(ConsoleInput, ThePagerTakesItsKeysAndLeavesTypedAheadText) {
    struct Case {
        std::string ahead;
        std::vector<std::string> later;
        More answer;
        std::vector<std::string> left; // the items the edit line reads afterwards
    };
    const Case cases[] = {
        {"", {"\x1b"}, More::kStop, {}},
        {"", {"x", "\x1b[A", "\r"}, More::kLine, {}}, // other single keys do nothing
        {"", {" q"}, More::kPage, {"q"}},             // pager keys at once are each the pager's
        {"\r\r", {}, More::kLine, {"Enter"}},         // and so are those typed ahead
        {"\x1b[?1;2c ", {}, More::kPage, {}},         // a reply is no key
        {"dir\r", {}, More::kRest, {"d", "i", "r", "Enter"}},
        {"x", {}, More::kRest, {"x"}},
        {"", {"ls\r"}, More::kRest, {"l", "s", "Enter"}},
        {"", {"\x1b[200~\r\x1b[201~"}, More::kRest, {"paste begin", "Enter", "paste end"}},
        {"", {"\x1b[201~"}, More::kRest, {"paste end"}}, // the end of a paste begun before
    };
    for (const auto& c : cases) {
        int fds[2];
        KeyReader reader = PipeReader(fds);
        Write(fds[1], c.ahead);
        std::thread later = TypeLater(fds[1], c.later, true);
        bool left = false;
        HelpBoxTerminal terminal{nullptr, &reader, [] {}, [&] { left = true; }};
        EXPECT_EQ(WaitForMore(terminal), c.answer) << c.ahead << " " << c.later.size();
        later.join();
        std::vector<std::string> items;
        ReadItems(&reader, -1, &items);
        items.pop_back(); // the end
        EXPECT_EQ(items, c.left) << c.ahead << " " << c.later.size();
        EXPECT_FALSE(left);
        close(fds[0]);
    }
}

TEST(ConsoleInput, AnInputThatIsNotOpenEndsTheReading) {
    int fd = open("/dev/null", O_RDONLY);
    close(fd);
    KeyReader reader = ReaderOf(fd, false);
    DecodedInput item{};
    EXPECT_EQ(ReadNext(&reader, &item, false), InputEvent::kInvalid);
    EXPECT_EQ(reader.problem, "standard input is not open");
    EXPECT_EQ(ReadNext(&reader, &item, false), InputEvent::kInvalid) << "and stays ended";
}

} // namespace
