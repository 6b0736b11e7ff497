// The terminal's input decoded into keys and text: xterm, rxvt and Linux-console sequences, CSI-u
// and modifyOtherKeys, bracketed paste, control bytes and UTF-8; strings (OSC, DCS, APC, SOS, PM)
// dropped up to their terminator, and sequences begun by an 8-bit introducer dropped whole.
#include "console/terminal/decoder.h"

#include <cstddef>

#include "console/terminal/keyboard.h"
#include "standins/utf8.h"

namespace {

constexpr unsigned char kEsc = 0x1B;
constexpr unsigned char kBel = 0x07;
// The lead byte of the UTF-8 form of the C1 controls, and the C1 string terminator (ST) after it.
constexpr unsigned char kC1Lead = 0xC2;
constexpr unsigned char kStringTerminator = 0x9C;

// The bytes after an escape byte that begin a string: OSC, DCS, APC, SOS and PM.
bool BeginsString(unsigned char byte) {
    return byte == ']' || byte == 'P' || byte == '_' || byte == 'X' || byte == '^';
}

// A number or byte a terminal sends, the key it stands for and the modifier keys it implies.
struct KeyOfCode {
    int code;
    int key;
    int modifiers;
};

// The modifier keys that an rxvt final byte of a tilde number adds.
struct FinalModifiers {
    int code;
    int modifiers;
};

// The row for code; null when the table has none.
template <typename Row, size_t N> const Row* Find(const Row (&table)[N], int code) {
    for (const Row& row : table)
        if (row.code == code) return &row;
    return nullptr;
}

// A C1 control that begins a sequence and what the sequence runs up to.
struct IntroducerOfCode {
    int code;
    SequenceRest rest;
};

// clang-format off

// The C1 controls that begin a sequence. A terminal sends them as one byte (8-bit controls) or in
// UTF-8 (C2 and the byte); no key sends them, so what they begin is dropped whole.
constexpr IntroducerOfCode kIntroducers[] = {
    {0x8F, SequenceRest::kControl}, // SS3
    {0x90, SequenceRest::kString},  // DCS
    {0x98, SequenceRest::kString},  // SOS
    {0x9B, SequenceRest::kControl}, // CSI
    {0x9D, SequenceRest::kString},  // OSC
    {0x9E, SequenceRest::kString},  // PM
    {0x9F, SequenceRest::kString},  // APC
};

// Control bytes that are not Ctrl with the letter of the same number (0x01 Ctrl-A to 0x1A Ctrl-Z).
constexpr KeyOfCode kControlBytes[] = {
    {0x00, DigitKey('2'),    kCtrlBit}, // Ctrl-2 and Ctrl-Space send NUL
    {0x09, kKeyTab,          0},
    {0x0D, kKeyEnter,        0},
    {0x1C, kKeyBackslash,    kCtrlBit},
    {0x1D, kKeyRightBracket, kCtrlBit},
    {0x1E, DigitKey('6'),    kCtrlBit}, // Ctrl-6 sends RS
    {0x1F, kKeyDivide,       kCtrlBit}, // Ctrl-/ sends US
    {0x7F, kKeyBackspace,    0},
};

// "CSI n ~" numbers (xterm, rxvt and the Linux console); rxvt and the Linux console send Shift-F3
// to Shift-F10 as the numbers of F13 to F20.
constexpr KeyOfCode kTildeNumbers[] = {
    {1,  kKeyHome, 0}, {2,  kKeyIns, 0},  {3,  kKeyDel, 0},  {4,  kKeyEnd, 0},
    {5,  kKeyPgUp, 0}, {6,  kKeyPgDn, 0}, {7,  kKeyHome, 0}, {8,  kKeyEnd, 0},
    {11, kKeyF1, 0},   {12, kKeyF2, 0},   {13, kKeyF3, 0},   {14, kKeyF4, 0},   {15, kKeyF5, 0},
    {17, kKeyF6, 0},   {18, kKeyF7, 0},   {19, kKeyF8, 0},   {20, kKeyF9, 0},   {21, kKeyF10, 0},
    {23, kKeyF11, 0},  {24, kKeyF12, 0},
    {25, kKeyF3, kShiftBit},  {26, kKeyF4, kShiftBit},  {28, kKeyF5, kShiftBit},
    {29, kKeyF6, kShiftBit},  {31, kKeyF7, kShiftBit},  {32, kKeyF8, kShiftBit},
    {33, kKeyF9, kShiftBit},  {34, kKeyF10, kShiftBit},
};

// The finals of "CSI n ~": rxvt ends the numbers with $ for Shift, ^ for Ctrl and @ for both.
constexpr FinalModifiers kTildeFinals[] = {
    {'~', 0}, {'$', kShiftBit}, {'^', kCtrlBit}, {'@', kCtrlShiftState},
};

// Final letters shared by CSI and SS3.
constexpr KeyOfCode kFinalLetters[] = {
    {'A', kKeyUp, 0},   {'B', kKeyDown, 0}, {'C', kKeyRight, 0}, {'D', kKeyLeft, 0},
    {'H', kKeyHome, 0}, {'F', kKeyEnd, 0},
    {'P', kKeyF1, 0},   {'Q', kKeyF2, 0},   {'R', kKeyF3, 0},    {'S', kKeyF4, 0},
};

// rxvt's lower-case arrow finals: Shift in CSI, Ctrl in SS3.
constexpr KeyOfCode kLowerFinals[] = {
    {'a', kKeyUp, 0},   {'b', kKeyDown, 0}, {'c', kKeyRight, 0}, {'d', kKeyLeft, 0},
};

// Character codes of CSI-u and modifyOtherKeys that stand for a key, not a character.
constexpr KeyOfCode kCharacterCodes[] = {
    {8,   kKeyBackspace, 0}, {127, kKeyBackspace, 0},
    {9,   kKeyTab, 0},       {13,  kKeyEnter, 0},     {27,  kKeyEsc, 0},
};

// clang-format on

// A key of the US layout that types an ASCII character, and whether Shift is part of it.
struct AsciiKey {
    int key;
    int modifiers;
};

// The key that types ch (0x20 to 0x7E); key -1 for the space bar, which has no row.
AsciiKey KeyForAscii(char32_t ch) {
    if (ch >= U'a' && ch <= U'z') return {kKeyA + static_cast<int>(ch - U'a'), 0};
    if (ch >= U'A' && ch <= U'Z') return {kKeyA + static_cast<int>(ch - U'A'), kShiftBit};
    if (ch >= U'1' && ch <= U'9') return {kKey1 + static_cast<int>(ch - U'1'), 0};
    if (ch == U'0') return {kKey0, 0};
    // Shifted digits: ! @ # $ % ^ & * ( ) on keys 1 to 0.
    constexpr char32_t kShiftedDigits[] = U"!@#$%^&*()";
    for (int i = 0; i < 10; ++i)
        if (ch == kShiftedDigits[i]) return {kKey1 + i, kShiftBit};
    struct Punctuation {
        char32_t plain;
        char32_t shifted;
        int key;
    };
    constexpr Punctuation kPunctuation[] = {
        {U'`', U'~', kKeyGrave},       {U'-', U'_', kKeyMinus},        {U'=', U'+', kKeyPlus},
        {U'[', U'{', kKeyLeftBracket}, {U']', U'}', kKeyRightBracket}, {U'\\', U'|', kKeyBackslash},
        {U';', U':', kKeySemicolon},   {U'\'', U'"', kKeyApostrophe},  {U',', U'<', kKeyComma},
        {U'.', U'>', kKeyDecimal},     {U'/', U'?', kKeyDivide},
    };
    for (const auto& p : kPunctuation) {
        if (ch == p.plain) return {p.key, 0};
        if (ch == p.shifted) return {p.key, kShiftBit};
    }
    return {-1, 0};
}

DecodedInput Item(InputKind kind, size_t consumed) {
    return DecodedInput{kind, consumed, 0, 0, 0};
}
DecodedInput KeyItem(int key, int modifiers, size_t consumed) {
    return DecodedInput{InputKind::kKey, consumed, 0, key, modifiers};
}
DecodedInput TextItem(char32_t ch, size_t consumed) {
    return DecodedInput{InputKind::kText, consumed, ch, 0, 0};
}

// An item found after prefix bytes, counting them; waiting for more bytes consumes none.
DecodedInput Behind(size_t prefix, DecodedInput item) {
    if (item.kind == InputKind::kNeedMore) return Item(InputKind::kNeedMore, 0);
    item.consumed += prefix;
    return item;
}

// A control byte (0x00 to 0x1F but escape, and 0x7F) as the key a terminal sends it for.
DecodedInput ControlByte(unsigned char byte, bool lineFeedIsEnter) {
    if (byte == 0x0A && lineFeedIsEnter) return KeyItem(kKeyEnter, 0, 1);
    if (const KeyOfCode* row = Find(kControlBytes, byte))
        return KeyItem(row->key, row->modifiers, 1);
    return KeyItem(kKeyA + (byte - 1), kCtrlBit, 1); // Ctrl-A to Ctrl-Z
}

// Length of the UTF-8 sequence that lead begins; 0 for a byte that begins none.
size_t Utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// One UTF-8 character; overlong forms, surrogates and C1 controls are ignored.
DecodedInput Utf8Char(const unsigned char* bytes, size_t length, bool complete) {
    size_t need = Utf8Length(bytes[0]);
    if (need == 0) return Item(InputKind::kIgnored, 1);
    char32_t ch = need == 1 ? bytes[0] : bytes[0] & (0x7F >> need);
    for (size_t i = 1; i < need; ++i) {
        if (i >= length) return Item(complete ? InputKind::kIgnored : InputKind::kNeedMore, i);
        if ((bytes[i] & 0xC0) != 0x80) return Item(InputKind::kIgnored, i);
        ch = (ch << 6) | (bytes[i] & 0x3F);
    }
    constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    bool valid =
        ch >= kMinimum[need] && ch <= 0x10FFFF && !IsSurrogate(ch) && !(ch >= 0x80 && ch <= 0x9F);
    return valid ? TextItem(ch, need) : Item(InputKind::kIgnored, need);
}

// The modifier state of an xterm modifier parameter (1 + Shift 1, Alt 2, Ctrl 4, Meta 8).
int ModifiersOfParameter(int parameter) {
    if (parameter < 2) return 0;
    int bits = parameter - 1;
    int state = 0;
    if (bits & 1) state |= kShiftBit;
    if (bits & 4) state |= kCtrlBit;
    if (bits & (2 | 8)) state |= kAltBit;
    return state;
}

// A key given as a character code with modifiers (CSI-u and modifyOtherKeys).
DecodedInput KeyOfCharacterCode(int code, int modifiers, size_t consumed) {
    if (const KeyOfCode* row = Find(kCharacterCodes, code))
        return KeyItem(row->key, modifiers, consumed);
    if (code < 0x20 || code > 0x7E) return Item(InputKind::kIgnored, consumed);
    char32_t ch = static_cast<char32_t>(code);
    if ((modifiers & (kCtrlBit | kAltBit)) == 0) {
        if ((modifiers & kShiftBit) && ch >= U'a' && ch <= U'z') ch -= 0x20;
        return TextItem(ch, consumed);
    }
    AsciiKey key = KeyForAscii(ch);
    if (key.key < 0) return Item(InputKind::kIgnored, consumed);
    return KeyItem(key.key, modifiers | key.modifiers, consumed);
}

constexpr int kMaxParameters = 4;
constexpr int kParameterLimit = 100000; // larger numbers stand for no key

// A control sequence after ESC [ (or ESC O when ss3): parameters, then one final byte.
DecodedInput ControlSequence(const unsigned char* bytes, size_t length, bool complete, bool ss3,
                             int extraModifiers) {
    int parameters[kMaxParameters] = {};
    int count = 0;
    bool privateMarker = false;
    bool inSubParameter = false;
    size_t i = 2;
    for (; i < length; ++i) {
        unsigned char b = bytes[i];
        if (b >= '0' && b <= '9') {
            if (count == 0) count = 1;
            if (inSubParameter || count > kMaxParameters) continue;
            int& p = parameters[count - 1];
            p = p >= kParameterLimit ? kParameterLimit : p * 10 + (b - '0');
        } else if (b == ';') {
            if (count == 0) count = 1;
            ++count;
            inSubParameter = false;
        } else if (b == ':') {
            inSubParameter = true; // only the first value of a parameter counts
        } else if (b >= 0x3C && b <= 0x3F) {
            privateMarker = true; // mouse reports and replies: no key
        } else {
            break;
        }
    }
    if (i == length) return Item(complete ? InputKind::kIgnored : InputKind::kNeedMore, length);
    unsigned char final = bytes[i];
    // Intermediate bytes go on to a final byte; rxvt ends "CSI n $" with the dollar itself.
    if (final >= 0x20 && final <= 0x2F && final != '$') {
        for (; i < length && bytes[i] >= 0x20 && bytes[i] <= 0x2F; ++i) {
        }
        if (i == length) return Item(complete ? InputKind::kIgnored : InputKind::kNeedMore, length);
        final = bytes[i];
        privateMarker = true;
    }
    size_t consumed = i + 1;
    if (final < 0x24 || final > 0x7E) return Item(InputKind::kIgnored, i); // cut short
    if (privateMarker || count > kMaxParameters) return Item(InputKind::kIgnored, consumed);

    int first = parameters[0];
    int modifiers = extraModifiers | ModifiersOfParameter(count >= 2 ? parameters[1] : 0);
    if (ss3 && count == 1) modifiers |= ModifiersOfParameter(first); // ESC O 5 P
    if (const KeyOfCode* row = Find(kFinalLetters, final))
        return KeyItem(row->key, modifiers, consumed);
    if (const KeyOfCode* row = Find(kLowerFinals, final))
        return KeyItem(row->key, modifiers | (ss3 ? kCtrlBit : kShiftBit), consumed);
    if (ss3) return Item(InputKind::kIgnored, consumed);

    if (final == 'u') return KeyOfCharacterCode(first, modifiers, consumed);
    if (final == 'Z') return KeyItem(kKeyTab, modifiers | kShiftBit, consumed);
    const FinalModifiers* ending = Find(kTildeFinals, final);
    if (ending == nullptr) return Item(InputKind::kIgnored, consumed);
    if (final == '~' && first == 200) return Item(InputKind::kPasteBegin, consumed);
    if (final == '~' && first == 201) return Item(InputKind::kPasteEnd, consumed);
    if (final == '~' && first == 27 && count >= 3)
        return KeyOfCharacterCode(parameters[2], modifiers, consumed);
    const KeyOfCode* row = Find(kTildeNumbers, first);
    if (row == nullptr) return Item(InputKind::kIgnored, consumed);
    return KeyItem(row->key, modifiers | ending->modifiers | row->modifiers, consumed);
}

// The 8-bit introducer bytes begin with, as one byte or in UTF-8; length 0 for none.
SequenceHead IntroducerHead(const unsigned char* bytes, size_t length) {
    size_t at = bytes[0] == kC1Lead && length > 1 ? 1 : 0;
    const IntroducerOfCode* row = Find(kIntroducers, bytes[at]);
    if (row == nullptr) return {0, SequenceRest::kNone};
    return {at + 1, row->rest};
}

// A sequence after its head, up to its end; it stands for no key. Cut off with nothing more to
// come, it is dropped as far as it came.
DecodedInput SequenceAfter(const unsigned char* bytes, size_t length, SequenceHead head,
                           bool complete) {
    SequenceRest rest = head.rest;
    size_t used = head.length + SkipRest(&rest, bytes + head.length, length - head.length);
    if (rest == SequenceRest::kNone) return Item(InputKind::kIgnored, used);
    return Item(complete ? InputKind::kIgnored : InputKind::kNeedMore, complete ? length : 0);
}

// A string after its escape byte and introducer, up to its terminator.
DecodedInput StringSequence(const unsigned char* bytes, size_t length, bool complete) {
    return SequenceAfter(bytes, length, {2, SequenceRest::kString}, complete);
}

// Everything that begins with an escape byte.
DecodedInput EscapeSequence(const unsigned char* bytes, size_t length, bool complete,
                            bool lineFeedIsEnter) {
    if (length < 2) return complete ? KeyItem(kKeyEsc, 0, 1) : Item(InputKind::kNeedMore, 0);
    unsigned char next = bytes[1];
    if (next == '[') {
        // The Linux console sends F1 to F5 as ESC [ [ A to ESC [ [ E.
        if (length >= 3 && bytes[2] == '[') {
            if (length < 4) return Item(complete ? InputKind::kIgnored : InputKind::kNeedMore, 3);
            if (bytes[3] >= 'A' && bytes[3] <= 'E') return KeyItem(kKeyF1 + (bytes[3] - 'A'), 0, 4);
            return Item(InputKind::kIgnored, 3);
        }
        return Behind(0, ControlSequence(bytes, length, complete, false, 0));
    }
    if (next == 'O') {
        if (length < 3 && !complete) return Item(InputKind::kNeedMore, 0);
        if (length < 3)
            return KeyItem(LetterKey('O'), kAltBit | kShiftBit, 2); // Alt-Shift-O after all
        return Behind(0, ControlSequence(bytes, length, complete, true, 0));
    }
    if (next == kEsc) {
        // ESC ESC [ ... is Alt with the key of the sequence; a second escape alone is Alt-Esc.
        if (length < 3 && !complete) return Item(InputKind::kNeedMore, 0);
        if (length >= 3 && (bytes[2] == '[' || bytes[2] == 'O'))
            return Behind(
                1, ControlSequence(bytes + 1, length - 1, complete, bytes[2] == 'O', kAltBit));
        if (length >= 3 && BeginsString(bytes[2]))
            return Behind(1, StringSequence(bytes + 1, length - 1, complete));
        return KeyItem(kKeyEsc, kAltBit, 2);
    }
    // A string; its introducer alone, with nothing after it in time, is Alt with that key.
    if (BeginsString(next) && (length > 2 || !complete))
        return StringSequence(bytes, length, complete);
    // Alt with a plain key: the terminal sends escape and the key's own bytes.
    if (next < 0x20 || next == 0x7F) {
        DecodedInput item = ControlByte(next, lineFeedIsEnter);
        item.modifiers |= kAltBit;
        item.consumed = 2;
        return item;
    }
    if (SequenceHead head = IntroducerHead(bytes + 1, length - 1); head.length > 0)
        return Behind(1, SequenceAfter(bytes + 1, length - 1, head, complete));
    DecodedInput item = Behind(1, Utf8Char(bytes + 1, length - 1, complete));
    if (item.kind != InputKind::kText) return item;
    AsciiKey key = item.text < 0x80 ? KeyForAscii(item.text) : AsciiKey{-1, 0};
    if (key.key < 0) return Item(InputKind::kIgnored, item.consumed); // no key of its own
    return KeyItem(key.key, key.modifiers | kAltBit, item.consumed);
}

} // namespace

DecodedInput DecodeInput(const unsigned char* bytes, size_t length, bool complete,
                         bool lineFeedIsEnter) {
    if (length == 0) return Item(InputKind::kNeedMore, 0);
    unsigned char lead = bytes[0];
    if (lead == kEsc) return EscapeSequence(bytes, length, complete, lineFeedIsEnter);
    if (lead < 0x20 || lead == 0x7F) return ControlByte(lead, lineFeedIsEnter);
    if (SequenceHead head = IntroducerHead(bytes, length); head.length > 0)
        return SequenceAfter(bytes, length, head, complete);
    return Behind(0, Utf8Char(bytes, length, complete));
}

SequenceHead HeadOf(const unsigned char* bytes, size_t length) {
    // Alt's escape may stand before an escape sequence or an 8-bit introducer.
    size_t alt = length > 2 && bytes[0] == kEsc &&
                         (bytes[1] == kEsc || IntroducerHead(bytes + 1, length - 1).length > 0)
                     ? 1
                     : 0;
    SequenceHead head = IntroducerHead(bytes + alt, length - alt);
    if (head.length > 0) return {alt + head.length, head.rest};
    bool string = alt + 1 < length && BeginsString(bytes[alt + 1]);
    return {alt + 2, string ? SequenceRest::kString : SequenceRest::kControl};
}

size_t SkipRest(SequenceRest* rest, const unsigned char* bytes, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        unsigned char b = bytes[i];
        if (*rest == SequenceRest::kControl) {
            // Parameter and intermediate bytes go on to the final byte; any other byte cuts the
            // sequence short.
            if (b >= 0x20 && b <= 0x3F) continue;
            *rest = SequenceRest::kNone;
            return b >= 0x40 && b <= 0x7E ? i + 1 : i;
        }
        // A string holds any byte, line breaks too (a title may have them), up to BEL, ESC \ or
        // ST in UTF-8; another escape cuts it short.
        if (b == kBel) {
            *rest = SequenceRest::kNone;
            return i + 1;
        }
        if (b != kEsc && b != kC1Lead) continue;
        if (i + 1 == length) return i; // perhaps a terminator's first byte: wait for the next
        if (b == kC1Lead) {
            if (bytes[i + 1] != kStringTerminator) continue;
            *rest = SequenceRest::kNone;
            return i + 2;
        }
        *rest = SequenceRest::kNone;
        return bytes[i + 1] == '\\' ? i + 2 : i;
    }
    return length;
}
