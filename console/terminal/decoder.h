// The terminal's input bytes decoded into keys (console/terminal/keyboard.h), typed characters and
// the marks of a bracketed paste. Escape sequences that stand for no key (replies, strings) are
// dropped whole, and so is every sequence an 8-bit introducer begins (CSI 0x9B, OSC 0x9D and the
// others, as one byte or in UTF-8).
#pragma once

#include <cstddef>

// One item decoded from the terminal's input.
enum class InputKind {
    kNeedMore,   // the bytes so far begin a sequence; wait for more
    kIgnored,    // bytes that stand for nothing the console knows; dropped
    kText,       // a character to type
    kKey,        // a key with modifiers
    kPasteBegin, // bracketed paste starts
    kPasteEnd,   // bracketed paste ends
};

struct DecodedInput {
    InputKind kind;
    size_t consumed; // bytes used, at least 1 unless kNeedMore
    char32_t text;   // kText: the code point
    int key;         // kKey: a ConsoleKey
    int modifiers;   // kKey: the modifier bits
};

// Decodes the first item of bytes. complete says that no more bytes follow soon, so a lone
// escape is the Esc key and a cut-off sequence is dropped. lineFeedIsEnter reads a line feed as
// Enter (scripted input) instead of Ctrl-J (a terminal).
DecodedInput DecodeInput(const unsigned char* bytes, size_t length, bool complete,
                         bool lineFeedIsEnter);

// What the rest of an escape sequence runs up to: the final byte of a control sequence, or the
// terminator of a string (OSC, DCS, APC, SOS or PM: BEL, ESC \ or ST in UTF-8, C2 9C); kNone once
// it has ended.
enum class SequenceRest { kNone, kControl, kString };

// The head of an unfinished sequence: its escape bytes and the byte that says what follows, or its
// 8-bit introducer.
struct SequenceHead {
    size_t length;
    SequenceRest rest;
};

// The head of the unfinished sequence bytes begins (DecodeInput asked for more bytes).
SequenceHead HeadOf(const unsigned char* bytes, size_t length);

// The count of bytes, from the start, that belong to a sequence's rest of the kind *rest (not
// kNone); *rest becomes kNone where the sequence ends. A byte that cannot be part of a control
// sequence cuts it short and is input of its own. A string holds every byte, control bytes too,
// but an escape byte that does not begin the terminator ESC \: that one cuts it short. A last
// escape or C2 byte is not counted, and *rest stays: it may begin a terminator.
size_t SkipRest(SequenceRest* rest, const unsigned char* bytes, size_t length);
