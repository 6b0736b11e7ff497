// The terminal's bytes decoded into keys, text and the marks of a paste, in five dialects.
#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <string>

#include "console/terminal/decoder.h"
#include "tests/console/terminal/typed_input.h"

namespace {

// One decoded item in words: "key Ctrl-Shift-F3 (6)", "text U+00E9 (2)", "ignored (5)",
// "need more", "paste begin (6)"; the number is the bytes consumed.
std::string Describe(const DecodedInput& item) {
    std::string consumed = " (" + std::to_string(item.consumed) + ")";
    char text[32];
    std::snprintf(text, sizeof text, "text U+%04X", static_cast<unsigned>(item.text));
    if (item.kind == InputKind::kNeedMore) return "need more";
    if (item.kind == InputKind::kIgnored) return "ignored" + consumed;
    if (item.kind == InputKind::kText) return text + consumed;
    if (item.kind == InputKind::kKey) return "key " + KeyWords(item.key, item.modifiers) + consumed;
    return (item.kind == InputKind::kPasteBegin ? "paste begin" : "paste end") + consumed;
}

std::string Decode(const std::string& bytes, bool complete, bool lineFeedIsEnter = false) {
    return Describe(DecodeInput(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                                complete, lineFeedIsEnter));
}

struct DecodeCase {
    std::string bytes;
    std::string expected; // with more bytes possibly to come
};

TEST(ConsoleTerminalDecoder, FunctionKeysWithXtermModifiers) {
    const DecodeCase cases[] = {
        {"\x1bOP", "key F1 (3)"},
        {"\x1bOQ", "key F2 (3)"},
        {"\x1bOR", "key F3 (3)"},
        {"\x1bOS", "key F4 (3)"},
        {"\x1b[1;2R", "key Shift-F3 (6)"},
        {"\x1b[1;5R", "key Ctrl-F3 (6)"},
        {"\x1b[1;3R", "key Alt-F3 (6)"},
        {"\x1b[1;6R", "key Ctrl-Shift-F3 (6)"},
        {"\x1b[1;7R", "key Ctrl-Alt-F3 (6)"},
        {"\x1b[1;8R", "key Ctrl-Alt-Shift-F3 (6)"},
        {"\x1b[1;4R", "key Alt-Shift-F3 (6)"},
        {"\x1b[1;9R", "key Alt-F3 (6)"}, // Meta counts as Alt
        {"\x1bO5R", "key Ctrl-F3 (4)"},
        {"\x1b[13;5~", "key Ctrl-F3 (7)"},
        {"\x1b[24;2~", "key Shift-F12 (7)"},
        {"\x1b[11^", "key Ctrl-F1 (5)"}, // rxvt
        {"\x1b[[C", "key F3 (4)"},       // Linux console
        {"\x1b[[E", "key F5 (4)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Decode(c.bytes, false), c.expected) << "bytes: " << c.bytes.substr(1);
}

TEST(ConsoleTerminalDecoder, EditingKeys) {
    const DecodeCase cases[] = {
        {"\x1b[A", "key Up (3)"},
        {"\x1b[B", "key Down (3)"},
        {"\x1b[C", "key Right (3)"},
        {"\x1b[D", "key Left (3)"},
        {"\x1bOD", "key Left (3)"},
        {"\x1b[1;5D", "key Ctrl-Left (6)"},
        {"\x1b[1;6C", "key Ctrl-Shift-Right (6)"},
        {"\x1b[H", "key Home (3)"},
        {"\x1b[F", "key End (3)"},
        {"\x1bOH", "key Home (3)"},
        {"\x1b[3;5~", "key Ctrl-Del (6)"},
        {"\x1b[5;5~", "key Ctrl-PgUp (6)"},
        {"\x1b[2$", "key Shift-Ins (4)"}, // rxvt
        {"\x1b[a", "key Shift-Up (3)"},   // rxvt
        {"\x1bOd", "key Ctrl-Left (3)"},  // rxvt
        {"\x1b[Z", "key Shift-Tab (3)"},
        {"\x7f", "key Backspace (1)"},
        {"\x08", "key Ctrl-H (1)"},
        {"\t", "key Tab (1)"},
        {"\r", "key Enter (1)"},
        {"\n", "key Ctrl-J (1)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Decode(c.bytes, false), c.expected) << "bytes: " << c.bytes.substr(1);
    EXPECT_EQ(Decode("\n", false, true), "key Enter (1)") << "scripted input";
}

TEST(ConsoleTerminalDecoder, ControlAndAltLetters) {
    const DecodeCase cases[] = {
        {"\x11", "key Ctrl-Q (1)"},
        {"\x01", "key Ctrl-A (1)"},
        {"\x1a", "key Ctrl-Z (1)"},
        {"\x03", "key Ctrl-C (1)"},
        {std::string(1, '\0'), "key Ctrl-2 (1)"},
        {"\x1c", "key Ctrl-\\ (1)"},
        {"\x1d", "key Ctrl-] (1)"},
        {"\x1e", "key Ctrl-6 (1)"},
        {"\x1f", "key Ctrl-Divide (1)"},
        {"\x1bq", "key Alt-Q (2)"},
        {"\x1bQ", "key Alt-Shift-Q (2)"},
        {"\x1b"
         "1",
         "key Alt-1 (2)"},
        {"\x1b!", "key Alt-Shift-1 (2)"},
        {"\x1b-", "key Alt-Minus (2)"},
        {"\x1b=", "key Alt-Plus (2)"},
        {"\x1b`", "key Alt-` (2)"},
        {"\x1b/", "key Alt-Divide (2)"},
        {"\x1b\x11", "key Ctrl-Alt-Q (2)"},
        {"\x1b\x7f", "key Alt-Backspace (2)"},
        {"\x1b\r", "key Alt-Enter (2)"},
        {"\x1b\x1b[A", "key Alt-Up (4)"},
        {"\x1b\x1bOR", "key Alt-F3 (4)"},
        {"\x1b \x01", "ignored (2)"}, // Alt-Space has no key of its own
        {"\x1b\xc3\xa9", "ignored (3)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Decode(c.bytes, false), c.expected) << "bytes: " << c.bytes;
}

TEST(ConsoleTerminalDecoder, ModifyOtherKeysAndCsiU) {
    const DecodeCase cases[] = {
        {"\x1b[27;5;49~", "key Ctrl-1 (10)"},
        {"\x1b[27;2;13~", "key Shift-Enter (10)"},
        {"\x1b[27;5;13~", "key Ctrl-Enter (10)"},
        {"\x1b[27;6;33~", "key Ctrl-Shift-1 (10)"},
        {"\x1b[27;5;127~", "key Ctrl-Backspace (11)"},
        {"\x1b[27;2;127~", "key Shift-Backspace (11)"},
        {"\x1b[13;5u", "key Ctrl-Enter (7)"},
        {"\x1b[49;5u", "key Ctrl-1 (7)"},
        {"\x1b[97;5u", "key Ctrl-A (7)"},
        {"\x1b[109;5u", "key Ctrl-M (8)"},
        {"\x1b[97;6u", "key Ctrl-Shift-A (7)"},
        {"\x1b[97;2u", "text U+0041 (7)"},
        {"\x1b[97u", "text U+0061 (5)"},
        {"\x1b[97:65;2u", "text U+0041 (10)"},
        {"\x1b[57399u", "ignored (8)"}, // a keypad key by kitty's private number
    };
    for (const auto& c : cases)
        EXPECT_EQ(Decode(c.bytes, false), c.expected) << "bytes: " << c.bytes.substr(1);
}

TEST(ConsoleTerminalDecoder, UnknownSequencesAreConsumedWholeAndNeverTyped) {
    const DecodeCase cases[] = {
        {"\x1b[99~x", "ignored (5)"},
        {"\x1b[<0;10;20Mx", "ignored (11)"}, // mouse report
        {"\x1b[?1;2cx", "ignored (7)"},      // device attributes
        {"\x1b[1;5Xx", "ignored (6)"},
        {"\x1b[1 qx", "ignored (5)"}, // an intermediate byte
        {"\x1bOxy", "ignored (3)"},
        {"\x1b[[Zx", "ignored (3)"},
        {"\x1b[999999999999999999~x", "ignored (21)"},
        {"\x1b[1;2;3;4;5;6Ax", "ignored (14)"},
        {"\x1b[1;\x01", "ignored (4)"}, // cut short by a control byte, which stays
        {"\x1b[1;\xc3\xa9", "ignored (4)"},
        {"\x1b[200~", "paste begin (6)"},
        {"\x1b[201~", "paste end (6)"},
        // Strings up to their terminator (BEL, ESC \ or ST in UTF-8): OSC, DCS, APC, SOS and PM.
        {"\x1b]0;title\x07x", "ignored (10)"},
        {"\x1b]52;c;YWJj\x1b\\x", "ignored (13)"},
        {"\x1bP1$r0m\x1b\\x", "ignored (9)"},
        {"\x1b_Gi=1;OK\x1b\\x", "ignored (11)"},
        {"\x1b]0;t\x1bOR", "ignored (5)"},           // another escape ends it and begins a key
        {"\x1b]0;a\r\nb\x07x", "ignored (9)"},       // a line break is part of it
        {"\x1b]0;\xc2\xb0\xc2\x9cx", "ignored (8)"}, // a degree sign, then ST
        // 8-bit introducers, as one byte or in UTF-8, and after Alt's escape.
        {"\x9b?1;2cx", "ignored (6)"},
        {"\xc2\x9b?1;2cx", "ignored (7)"},
        {"\xc2\x8fRx", "ignored (3)"},
        {"\x1b\xc2\x9bRx", "ignored (4)"},
        {"\xc2\x9dlt\r\x07x", "ignored (6)"},
        {"\x9dlt\x1b\\x", "ignored (5)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Decode(c.bytes, false), c.expected) << "bytes: " << c.bytes.substr(1);
}

TEST(ConsoleTerminalDecoder, UnfinishedInputWaitsUnlessNothingMoreComes) {
    struct Case {
        std::string bytes;
        std::string waiting;
        std::string complete;
    };
    const Case cases[] = {
        {"\x1b", "need more", "key Esc (1)"},         {"\x1b[", "need more", "ignored (2)"},
        {"\x1b[1;", "need more", "ignored (4)"},      {"\x1bO", "need more", "key Alt-Shift-O (2)"},
        {"\x1b[[", "need more", "ignored (3)"},       {"\x1b\x1b", "need more", "key Alt-Esc (2)"},
        {"\x1b\x1b[1", "need more", "ignored (4)"},   {"\x1b\xc3", "need more", "ignored (2)"},
        {"\xc3", "need more", "ignored (1)"},         {"\xe2\x82", "need more", "ignored (2)"},
        {"\xf0\x9f\x98", "need more", "ignored (3)"}, {"\x1b]", "need more", "key Alt-] (2)"},
        {"\x1b]0;ti", "need more", "ignored (6)"},    {"\x1bP\x1b", "need more", "ignored (3)"},
        {"\x1b\x1b]", "need more", "ignored (3)"},    {"\xc2\x9b?1", "need more", "ignored (4)"},
        {"\x9dlt\xc2", "need more", "ignored (4)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Decode(c.bytes, false), c.waiting) << "bytes: " << c.bytes;
        EXPECT_EQ(Decode(c.bytes, true), c.complete) << "bytes: " << c.bytes;
    }
    EXPECT_EQ(Decode("", true), "need more");
}

TEST(ConsoleTerminalDecoder, EveryTildeNumber) {
    // The key of "CSI n ~" for n from 1 on (25 to 34 are rxvt's shifted function keys); "" where
    // the number stands for no key.
    const char* keys[] = {
        "Home",     "Ins", "Del",      "End",      "PgUp",     "PgDn",      "Home",
        "End",      "",    "", // 1 to 10
        "F1",       "F2",  "F3",       "F4",       "F5",       "",          "F6",
        "F7",       "F8",  "F9", // 11 to 20
        "F10",      "",    "F11",      "F12",      "Shift-F3", "Shift-F4",  "",
        "Shift-F5",                                                             // 21 to 28
        "Shift-F6", "",    "Shift-F7", "Shift-F8", "Shift-F9", "Shift-F10", "", // 29 to 35
    };
    for (size_t i = 0; i < std::size(keys); ++i) {
        std::string bytes = "\x1b[" + std::to_string(i + 1) + "~";
        std::string consumed = " (" + std::to_string(bytes.size()) + ")";
        std::string expected =
            keys[i][0] != 0 ? "key " + std::string(keys[i]) + consumed : "ignored" + consumed;
        EXPECT_EQ(Decode(bytes, false), expected) << "number " << i + 1;
    }
}

TEST(ConsoleTerminalDecoder, EveryFinalLetterAndCharacterCode) {
    const DecodeCase cases[] = {
        {"\x1bOB", "key Down (3)"},
        {"\x1bOF", "key End (3)"},
        {"\x1b[P", "key F1 (3)"},
        {"\x1b[Q", "key F2 (3)"},
        {"\x1b[S", "key F4 (3)"},
        {"\x1b[E", "ignored (3)"},
        {"\x1b[b", "key Shift-Down (3)"},
        {"\x1bOa", "key Ctrl-Up (3)"},
        {"\x1b[c", "key Shift-Right (3)"},
        {"\x1bOb", "key Ctrl-Down (3)"},
        {"\x1b[8;5u", "key Ctrl-Backspace (6)"},
        {"\x1b[127u", "key Backspace (6)"},
        {"\x1b[9;2u", "key Shift-Tab (6)"},
        {"\x1b[13;3u", "key Alt-Enter (7)"},
        {"\x1b[27u", "key Esc (5)"},
        {"\x1b[11@", "key Ctrl-Shift-F1 (5)"}, // rxvt
        {"\x1b[25^", "key Ctrl-Shift-F3 (5)"}, // rxvt
        {"\x1b[3^", "key Ctrl-Del (4)"},       // rxvt
        {"\x1b[200$", "ignored (6)"},          // only "CSI 200 ~" begins a paste
        {"\x1b[10;5u", "ignored (7)"},         // a control code with no key of its own
        {"\x1b[32;5u", "ignored (7)"},         // Ctrl-Space: the space bar has no row
    };
    for (const auto& c : cases)
        EXPECT_EQ(Decode(c.bytes, false), c.expected) << "bytes: " << c.bytes.substr(1);
}

TEST(ConsoleTerminalDecoder, Utf8Text) {
    const DecodeCase cases[] = {
        {"a", "text U+0061 (1)"},
        {"~", "text U+007E (1)"},
        {" ", "text U+0020 (1)"},
        {"\xc3\xa9", "text U+00E9 (2)"},
        {"\xe2\x82\xac", "text U+20AC (3)"},
        {"\xe4\xb8\xad", "text U+4E2D (3)"},
        {"\xf0\x9f\x98\x80", "text U+1F600 (4)"},
        {"\xf4\x8f\xbf\xbf", "text U+10FFFF (4)"},
        {"\xc0\x80", "ignored (1)"},         // overlong NUL
        {"\xe0\x80\xaf", "ignored (3)"},     // overlong slash
        {"\xed\xa0\x80", "ignored (3)"},     // a surrogate
        {"\xf4\x90\x80\x80", "ignored (4)"}, // beyond U+10FFFF
        {"\xc2\x85", "ignored (2)"},         // a C1 control
        {"\xff", "ignored (1)"},
        {"\x80", "ignored (1)"},
        {"\xe2(\xa1", "ignored (1)"}, // a broken continuation
    };
    for (const auto& c : cases)
        EXPECT_EQ(Decode(c.bytes, false), c.expected) << "bytes: " << c.bytes;
}

} // namespace
