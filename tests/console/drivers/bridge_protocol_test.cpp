// The protocol between the console and its Wine bridge: text as hex, fields, and line edits.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "console/drivers/bridge_protocol.h"
#include "keys/modifiers.h"
#include "standins/utf8.h"

namespace {

TEST(ConsoleDriversBridgeProtocol, HexTextBothWays) {
    struct Case {
        std::u16string text;
        std::string hex;
    };
    const Case cases[] = {
        {u"", "-"},
        {u"A", "0041"},
        {u"a b", "00610020"
                 "0062"},
        {u"\u25BA\u201C", "25ba201c"},
        {u"\U0001F600", "d83dde00"},
        {std::u16string(1, u'\0'), "0000"},
        {u"\uFFFF\n", "ffff000a"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HexText(c.text), c.hex) << ToUtf8(c.text);
        EXPECT_EQ(TextOfHex(c.hex), c.text) << c.hex;
    }
    // Damaged fields never read past their end.
    EXPECT_EQ(TextOfHex("004"), u"");
    EXPECT_EQ(TextOfHex("00410"), u"A");
    EXPECT_EQ(TextOfHex("zz41"), u"A");
}

TEST(ConsoleDriversBridgeProtocol, FieldsSplitAtBlanksUpToTheLineEnd) {
    struct Case {
        std::string line;
        std::vector<std::string> fields;
    };
    const Case cases[] = {
        {"done 0", {"done", "0"}},
        {"  key  1 2\n", {"key", "1", "2"}},
        {"out 1 0041\r\n", {"out", "1", "0041"}},
        {"", {}},
        {"   ", {}},
        {"a\nb", {"a"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Fields(c.line), c.fields) << c.line;
}

// A line is taken whole, or waited for up to a bound; past it the reader gives the other side up.
TEST(ConsoleDriversBridgeProtocol, LinesAreTakenWholeAndBounded) {
    struct Case {
        std::string received;
        LineTaken taken;
        std::string line;
        std::string left; // what stays for the next line
    };
    const std::string longest(kLongestLine, 'x');
    const Case cases[] = {
        {"ready\n", LineTaken::kLine, "ready", ""},
        {"done 0\nout 1", LineTaken::kLine, "done 0", "out 1"},
        {"\ndone 0\n", LineTaken::kLine, "", "done 0\n"},
        {"out 1", LineTaken::kWaiting, "", "out 1"},
        {"", LineTaken::kWaiting, "", ""},
        {longest + "\nready", LineTaken::kLine, longest, "ready"},
        {longest, LineTaken::kWaiting, "", longest},
        {longest + "x", LineTaken::kTooLong, "", longest + "x"},
        {longest + "x\n", LineTaken::kTooLong, "", longest + "x\n"},
    };
    for (const auto& c : cases) {
        std::string received = c.received;
        std::string line;
        EXPECT_EQ(TakeLine(&received, &line), c.taken) << c.received.substr(0, 16);
        EXPECT_EQ(line, c.line) << c.received.substr(0, 16);
        EXPECT_EQ(received, c.left) << c.received.substr(0, 16);
    }
}

// Text of any length crosses in pieces of at most a line, a surrogate pair whole; no message is
// longer than the longest key reply.
TEST(ConsoleDriversBridgeProtocol, LongTextCrossesInPieces) {
    const std::u16string line(kLineBufferSize, u'a');
    const std::pair<std::u16string, std::vector<size_t>> cases[] = {
        {u"", {}},
        {line, {kLineBufferSize}},
        {line + u"b", {kLineBufferSize, 1}},
        {line.substr(1) + u"\U0001F600", {kLineBufferSize - 1, 2}},
    };
    for (const auto& [text, pieces] : cases) {
        std::vector<std::string> messages = TextMessages("out 2", text.data(), text.size());
        ASSERT_EQ(messages.size(), pieces.size()) << text.size();
        std::u16string joined;
        for (size_t i = 0; i < messages.size(); ++i) {
            std::u16string piece = TextOfHex(messages[i].substr(6));
            EXPECT_EQ(messages[i], "out 2 " + HexText(piece));
            EXPECT_EQ(piece.size(), pieces[i]) << text.size() << " piece " << i;
            joined += piece;
        }
        EXPECT_EQ(joined, text);
    }
    // The longest key reply: a whole line inserted, the longest key name, numbers at their widest.
    KeyFields widest{INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, LONG_MIN, u"", {}};
    widest.name.assign(kReportedKeyNameSize - 1, u'x');
    widest.edit = {kLineBufferSize - 1, kLineBufferSize - 1, line.substr(1)};
    KeyReply reply{INT32_MIN, INT32_MIN, widest, std::vector<long>(16, LONG_MIN)};
    EXPECT_LE(EncodeKeyReply(reply).size(), kLongestMessage);
}

struct EditCase {
    std::u16string from;
    std::u16string to;
    size_t at;
    size_t removed;
    std::u16string inserted;
};

TEST(ConsoleDriversBridgeProtocol, EditsCarryOnlyWhatChanged) {
    const EditCase cases[] = {
        {u"", u"", 0, 0, u""},
        {u"notepa", u"notepad", 6, 0, u"d"},
        {u"notepad", u"notepad a.txt b.txt", 7, 0, u" a.txt b.txt"},
        {u"copy x", u"copy a.txt b.txt x", 5, 0, u"a.txt b.txt "},
        {u"copy x", u"copy a.txt b.txt", 5, 1, u"a.txt b.txt"},
        {u"abc", u"", 0, 3, u""},
        {u"", u"abc", 0, 0, u"abc"},
        {u"aaa", u"aa", 2, 1, u""},
        {u"abcabc", u"abc", 3, 3, u""},
        {u"xyz", u"xqz", 1, 1, u"q"},
    };
    for (const auto& c : cases) {
        LineEdit edit = EditBetween(c.from.data(), c.from.size(), c.to.data(), c.to.size());
        std::string what = ToUtf8(c.from) + " -> " + ToUtf8(c.to);
        EXPECT_EQ(edit.at, c.at) << what;
        EXPECT_EQ(edit.removed, c.removed) << what;
        EXPECT_EQ(edit.inserted, c.inserted) << what;

        char16_t buffer[64] = {};
        c.from.copy(buffer, c.from.size());
        size_t length = c.from.size();
        ASSERT_TRUE(ApplyEdit(buffer, &length, 64, edit)) << what;
        EXPECT_EQ(std::u16string(buffer, length), c.to) << what;
        EXPECT_EQ(buffer[length], 0) << what;
    }
}

TEST(ConsoleDriversBridgeProtocol, EditsThatDoNotFitChangeNothing) {
    struct Case {
        size_t at;
        size_t removed;
        std::u16string inserted;
    };
    const Case cases[] = {
        {4, 0, u"x"},       // beyond the text
        {2, 2, u""},        // removes past its end
        {3, 0, u"4567890"}, // longer than the buffer
        {0, 0, u"1234567"}, // one too many for the terminator
        {static_cast<size_t>(-1), 1, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("at " + std::to_string(c.at) + " removed " + std::to_string(c.removed) +
                     " inserted " + ToUtf8(c.inserted));
        char16_t buffer[10] = u"abc";
        size_t length = 3;
        EXPECT_FALSE(ApplyEdit(buffer, &length, 10, {c.at, c.removed, c.inserted}));
        EXPECT_EQ(length, 3u);
        EXPECT_EQ(std::u16string(buffer), u"abc");
    }
    char16_t buffer[10] = u"abc";
    size_t length = 3;
    EXPECT_TRUE(ApplyEdit(buffer, &length, 10, {3, 0, u"456789"}));
    EXPECT_EQ(std::u16string(buffer), u"abc456789");
}

TEST(ConsoleDriversBridgeProtocol, EditFieldsFormAThreeFieldTail) {
    EXPECT_EQ(EditFields({7, 0, u" a"}), "7 0 00200061");
    EXPECT_EQ(EditFields({0, 3, u""}), "0 3 -");
    std::vector<std::string> f = Fields("done 0 " + EditFields({2, 1, u"q"}));
    ASSERT_EQ(f.size(), 5u);
    EXPECT_EQ(TextOfHex(f[4]), u"q");
}

TEST(ConsoleDriversBridgeProtocol, KeyRequestsCrossAsTheyWere) {
    struct Case {
        KeyRequest request;
        std::string line;
    };
    const Case cases[] = {
        {{0, false, {0x1003D, 7, 2, 7, 9, 7, u"", {7, 0, u""}}}, "key 0 65597 7 2 7 9 7 0 - 7 0 -"},
        {{kCtrlAltShiftState, true, {0, 3, 2, 4, 0, -1, u"Ctrl-Alt-Shift-B", {0, 3, u"x y"}}},
         "key 7 0 3 2 4 0 -1 1 "
         "004300740072006c002d0041006c0074002d00530068006900660074002d0042 0 3 007800200079"},
        {{kShiftBit, true, {0, 0, 0, 0, 0, 0, u"", {0, 0, u""}}}, "key 1 0 0 0 0 0 0 1 - 0 0 -"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(EncodeKeyRequest(c.request), c.line);
        KeyRequest back{};
        ASSERT_TRUE(DecodeKeyRequest(Fields(c.line), &back)) << c.line;
        EXPECT_TRUE(back == c.request) << c.line;
    }
}

TEST(ConsoleDriversBridgeProtocol, KeyRepliesCrossAsTheyWere) {
    struct Case {
        KeyReply reply;
        std::string line;
    };
    const Case cases[] = {
        {{0, 0, {0x1003D, 7, 2, 7, 9, 7, u"", {7, 0, u""}}, {}},
         "done 0 65597 7 2 7 9 7 0 - 7 0 -"},
        {{1, 1, {0, 8, 2, 8, 12, -1, u"F3", {5, 0, u" a.txt"}}, {5, -1, 0}},
         "done 1 0 8 2 8 12 -1 1 00460033 5 0 00200061002e007400780074 5 -1 0"},
        {{-1, 0, {13, 0, 0, 0, 0, 0, u"", {0, 2, u""}}, {3}}, "done -1 13 0 0 0 0 0 0 - 0 2 - 3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(EncodeKeyReply(c.reply), c.line);
        KeyReply back{};
        ASSERT_TRUE(DecodeKeyReply(Fields(c.line), &back)) << c.line;
        EXPECT_TRUE(back == c.reply) << c.line;
    }
}

TEST(ConsoleDriversBridgeProtocol, LinesThatAreNoWholeKeyRecordAreRefused) {
    const char* lines[] = {
        "",
        "done 0",                        // the reply of any other call
        "key 0 65597 7 2 7 9 7 0 - 7 0", // the edit cut short
        "done 0 65597 7 2 7 9 7 0 - 7 0",
        "fail the line edit does not fit",
        "expand 0041 0 0 0 0 0 0 0 0 0 0 0 0 0", // another request of the same length
    };
    for (const char* line : lines) {
        KeyRequest request{};
        KeyReply reply{};
        EXPECT_FALSE(DecodeKeyRequest(Fields(line), &request)) << line;
        EXPECT_FALSE(DecodeKeyReply(Fields(line), &reply)) << line;
    }
    KeyRequest request{};
    KeyReply reply{};
    EXPECT_FALSE(DecodeKeyReply(Fields("key 0 65597 7 2 7 9 7 0 - 7 0 -"), &reply));
    EXPECT_FALSE(DecodeKeyRequest(Fields("done 0 65597 7 2 7 9 7 0 - 7 0 -"), &request));
}

} // namespace
