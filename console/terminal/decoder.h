// The terminal's input bytes decoded into keys (console/terminal/keyboard.h), typed characters and
// the marks of a bracketed paste.
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
