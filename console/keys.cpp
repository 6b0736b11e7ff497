// Terminal input to host key reports. The table says, per key and modifier column, what the host
// reports; the decoder reads xterm, rxvt and Linux-console sequences, CSI-u and modifyOtherKeys.
#include "console/keys.h"

#include <iterator>

#include "standins/utf8.h"
#include "text/wtext.h"

namespace {

// A row; a wrong number of cells does not compile.
template <typename... Cells> consteval ConsoleKeyRow Row(const char16_t* name, Cells... cells) {
    static_assert(sizeof...(Cells) == kConsoleColumns, "a row has one cell per column");
    return ConsoleKeyRow{name, {static_cast<int32_t>(cells)...}};
}

} // namespace

// clang-format off

// Columns: none, Shift, Ctrl, Alt, Ctrl-Shift, Ctrl-Alt, Ctrl-Alt-Shift. In the last three the
// code is that of the key with one modifier: the plug-in adds 0x20000, 0x40000 or 0x60000 when it
// reads the modifier keys, which gives the code its key tables hold for the combination.
//                                                                              Ctrl-     Ctrl-      Ctrl-Alt-
//      Key name       none           Shift            Ctrl      Alt            Shift     Alt        Shift
const ConsoleKeyRow ConsoleKeyTable[kConsoleKeyCount] = {
    Row(u"F1",        0x1003B,       0x10054,         0x1005E,  0x10068,       0x10054,  0x1005E,   0x1005E),
    Row(u"F2",        0x1003C,       0x10055,         0x1005F,  0x10069,       0x10055,  0x1005F,   0x1005F),
    Row(u"F3",        0x1003D,       0x10056,         0x10060,  0x1006A,       0x10056,  0x10060,   0x10060),
    Row(u"F4",        0x1003E,       0x10057,         0x10061,  0x1006B,       0x10057,  0x10061,   0x10061),
    Row(u"F5",        0x1003F,       0x10058,         0x10062,  0x1006C,       0x10058,  0x10062,   0x10062),
    Row(u"F6",        0x10040,       0x10059,         0x10063,  0x1006D,       0x10059,  0x10063,   0x10063),
    Row(u"F7",        0x10041,       0x1005A,         0x10064,  0x1006E,       0x1005A,  0x10064,   0x10064),
    Row(u"F8",        0x10042,       0x1005B,         0x10065,  0x1006F,       0x1005B,  0x10065,   0x10065),
    Row(u"F9",        0x10043,       0x1005C,         0x10066,  0x10070,       0x1005C,  0x10066,   0x10066),
    Row(u"F10",       0x10044,       0x1005D,         0x10067,  0x10071,       0x1005D,  0x10067,   0x10067),
    Row(u"F11",       0x10085,       0x10087,         0x10089,  0x1008B,       0x10087,  0x10089,   0x10089),
    Row(u"F12",       0x10086,       0x10088,         0x1008A,  0x1008C,       0x10088,  0x1008A,   0x1008A),
    Row(u"Home",      0x10047,       0x100CA,         0x10077,  0,             0x100CA,  0x10077,   0x10077),
    Row(u"End",       0x1004F,       0x100CB,         0x10075,  0,             0x100CB,  0x10075,   0x10075),
    Row(u"PgUp",      0x10049,       0,               0x10084,  0,             0x10049,  0x10084,   0x10084),
    Row(u"PgDn",      0x10051,       0,               0x10076,  0,             0x10051,  0x10076,   0x10076),
    Row(u"Ins",       0x10052,       0,               0,        0,             0x10052,  0x10092,   0x10092),
    Row(u"Del",       0x10053,       0,               0x10093,  0,             0x10053,  0,         0x10093),
    Row(u"Up",        0x10048,       0,               0x1008D,  0,             0x10048,  0x1008D,   0x1008D),
    Row(u"Down",      0x10050,       0,               0x10091,  0,             0x10050,  0x10091,   0x10091),
    Row(u"Left",      0x1004B,       0x100C8,         0x10073,  0x100F4,       0x100CC,  0x10073,   0x10073),
    Row(u"Right",     0x1004D,       0x100C9,         0x10074,  0x100F6,       0x100CD,  0x10074,   0x10074),
    Row(u"A",         0,             0,               0x1,      0x1001E,       0x1,      0x1001E,   0x1001E),
    Row(u"B",         0,             0,               0x2,      0x10030,       0x2,      0x10030,   kByName | 0x10030),
    Row(u"C",         0,             0,               0,        0x1002E,       0,        0x1002E,   0x1002E),
    Row(u"D",         0,             0,               0x4,      0x10020,       0x4,      0x10020,   0x10020),
    Row(u"E",         0,             0,               0x5,      0x10012,       0x5,      0x10012,   0x10012),
    Row(u"F",         0,             0,               0x6,      0x10021,       0x6,      0x10021,   0x10021),
    Row(u"G",         0,             0,               0x7,      0x10022,       0x7,      0x10022,   0x10022),
    Row(u"H",         0,             0,               0x8,      0x10023,       0x8,      0x10023,   0x10023),
    Row(u"I",         0,             0,               0x9,      0x10017,       0,        0x10017,   0x10017),
    Row(u"J",         0,             0,               0xA,      0x10024,       0xA,      0x10024,   0x10024),
    Row(u"K",         0,             0,               0xB,      0x10025,       0xB,      0x10025,   0x10025),
    Row(u"L",         0,             0,               0xC,      0x10026,       0xC,      0x10026,   0x10026),
    Row(u"M",         0,             0,               kByName,  0x10032,       0xD,      0x10032,   0x10032),
    Row(u"N",         0,             0,               0xE,      0x10031,       0xE,      0x10031,   0x10031),
    Row(u"O",         0,             0,               0xF,      0x10018,       0xF,      0x10018,   0x10018),
    Row(u"P",         0,             0,               0x10,     0x10019,       0x10,     0x10019,   0x10019),
    Row(u"Q",         0,             0,               0x11,     0x10010,       0x11,     0x10010,   0x10010),
    Row(u"R",         0,             0,               0x12,     0x10013,       0x12,     0x10013,   0x10013),
    Row(u"S",         0,             0,               0,        0x1001F,       0,        0x1001F,   0x1001F),
    Row(u"T",         0,             0,               0x14,     0x10014,       0x14,     0x10014,   0x10014),
    Row(u"U",         0,             0,               0x15,     0x10016,       0x15,     0x10016,   0x10016),
    Row(u"V",         0,             0,               0x16,     0x1002F,       0x16,     0x1002F,   0x1002F),
    Row(u"W",         0,             0,               0x17,     0x10011,       0x17,     0x10011,   0x10011),
    Row(u"X",         0,             0,               0x18,     0x1002D,       0x18,     0x1002D,   0x1002D),
    Row(u"Y",         0,             0,               0x19,     0x10015,       0x19,     0x10015,   0x10015),
    Row(u"Z",         0,             0,               0x1A,     0x1002C,       0x1A,     0x1002C,   0x1002C),
    Row(u"1",         0,             0,               kByName,  0x100E2,       kByName,  kByName,   0x100E2),
    Row(u"2",         0,             0,               kByName,  0x100E3,       kByName,  kByName,   0x100E3),
    Row(u"3",         0,             0,               kByName,  0x100E4,       kByName,  kByName,   0x100E4),
    Row(u"4",         0,             0,               kByName,  0x100E5,       kByName,  kByName,   0x100E5),
    Row(u"5",         0,             0,               kByName,  0x100E6,       kByName,  kByName,   0x100E6),
    Row(u"6",         0,             0,               kByName,  0x100E7,       kByName,  kByName,   0x100E7),
    Row(u"7",         0,             0,               kByName,  0x100E8,       kByName,  kByName,   0x100E8),
    Row(u"8",         0,             0,               kByName,  0x100E9,       kByName,  kByName,   0x100E9),
    Row(u"9",         0,             0,               kByName,  0x100EA,       kByName,  kByName,   0x100EA),
    Row(u"0",         0,             0,               kByName,  0x100EB,       kByName,  kByName,   0x100EB),
    Row(u"Backspace", 0x8,           kByName | 0x8,   0x7F,     0x1000E,       0x1000E,  0x1000E,   0x1000E),
    Row(u"`",         0,             0,               kByName,  kByName | 0x10029, kByName | 0x10029, kByName | 0x10029, 0x10860),
    Row(u"Minus",     0,             0,               kByName,  kByName | 0x10082, kByName, kByName, 0x108BD),
    Row(u"Plus",      0,             0,               kByName,  0x10083,       kByName,  kByName,   0x108BB),
    Row(u"Enter",     0xD,           kByName | 0xD,   kByName | 0xD, kByName | 0xD, kByName | 0xD, kByName | 0xD, kByName | 0xD),
    Row(u"[",         0,             0,               kByName,  0x1001A,       kByName,  0x1001A,   0x1001A),
    Row(u"]",         0,             0,               kByName,  0x1001B,       kByName,  0x1001B,   0x1001B),
    Row(u"\\",        0,             0,               kByName | 0x1C, 0x1002B, kByName,  0x1002B,   0x1002B),
    Row(u";",         0,             0,               kByName,  0x10027,       kByName,  0x10027,   0x10027),
    Row(u"'",         0,             0,               kByName,  0x10028,       kByName,  0x10028,   0x10028),
    Row(u",",         0,             0,               kByName,  0x10033,       kByName,  0x10033,   0x10033),
    Row(u"Decimal",   0,             0,               kByName,  0x10034,       kByName,  0x10034,   0x10034),
    Row(u"Divide",    0,             0,               kByName,  0x10035,       kByName,  0x10035,   0x10035),
    Row(u"Tab",       0x9,           0,               0,        0,             0,        0,         0),
    Row(u"Esc",       0x1B,          0,               0,        0,             0,        0,         0),
};

// clang-format on

namespace {

// The column of each modifier state; Shift with Alt counts as Alt.
constexpr size_t kColumnOfState[kModifierStates] = {
    kColumnNone, kColumnShift, kColumnCtrl,    kColumnCtrlShift,
    kColumnAlt,  kColumnAlt,   kColumnCtrlAlt, kColumnCtrlAltShift,
};

// The name prefix of one modifier key when the state holds it.
const char16_t* HeldPrefix(int modifiers, int bit, size_t column) {
    return (modifiers & bit) != 0 ? ModifierPrefixes[column] : u"";
}

constexpr unsigned char kEsc = 0x1B;

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

// A control byte (0x00 to 0x1F but escape, and 0x7F) as the key a terminal sends it for.
DecodedInput ControlByte(unsigned char byte, bool lineFeedIsEnter) {
    switch (byte) {
    case 0x00:
        return KeyItem(kKey1 + 1, kCtrlBit, 1); // Ctrl-2 and Ctrl-Space send NUL
    case 0x08:
        return KeyItem(kKeyA + 7, kCtrlBit, 1); // Ctrl-H
    case 0x09:
        return KeyItem(kKeyTab, 0, 1);
    case 0x0A:
        return lineFeedIsEnter ? KeyItem(kKeyEnter, 0, 1) : KeyItem(kKeyA + 9, kCtrlBit, 1);
    case 0x0D:
        return KeyItem(kKeyEnter, 0, 1);
    case 0x1C:
        return KeyItem(kKeyBackslash, kCtrlBit, 1);
    case 0x1D:
        return KeyItem(kKeyRightBracket, kCtrlBit, 1);
    case 0x1E:
        return KeyItem(kKey1 + 5, kCtrlBit, 1); // Ctrl-6 sends RS
    case 0x1F:
        return KeyItem(kKeyDivide, kCtrlBit, 1); // Ctrl-/ sends US
    case 0x7F:
        return KeyItem(kKeyBackspace, 0, 1);
    default:
        return KeyItem(kKeyA + (byte - 1), kCtrlBit, 1); // Ctrl-A to Ctrl-Z
    }
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

// The key of a "CSI n ~" number (xterm, rxvt and the Linux console).
int KeyOfTildeNumber(int number) {
    switch (number) {
    case 1:
    case 7:
        return kKeyHome;
    case 2:
        return kKeyIns;
    case 3:
        return kKeyDel;
    case 4:
    case 8:
        return kKeyEnd;
    case 5:
        return kKeyPgUp;
    case 6:
        return kKeyPgDn;
    case 11:
    case 12:
    case 13:
    case 14:
    case 15:
        return kKeyF1 + (number - 11);
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
        return kKeyF6 + (number - 17);
    case 23:
        return kKeyF11;
    case 24:
        return kKeyF12;
    default:
        return -1;
    }
}

// rxvt and the Linux console send Shift-F3 to Shift-F10 as the numbers of F13 to F20.
int ShiftedFunctionKeyOfTildeNumber(int number) {
    constexpr int kNumbers[] = {25, 26, 28, 29, 31, 32, 33, 34};
    for (int i = 0; i < 8; ++i)
        if (kNumbers[i] == number) return kKeyF3 + i;
    return -1;
}

// The key of a final letter shared by CSI and SS3: arrows, Home, End and F1 to F4.
int KeyOfFinalLetter(unsigned char final) {
    switch (final) {
    case 'A':
        return kKeyUp;
    case 'B':
        return kKeyDown;
    case 'C':
        return kKeyRight;
    case 'D':
        return kKeyLeft;
    case 'H':
        return kKeyHome;
    case 'F':
        return kKeyEnd;
    case 'P':
        return kKeyF1;
    case 'Q':
        return kKeyF2;
    case 'R':
        return kKeyF3;
    case 'S':
        return kKeyF4;
    default:
        return -1;
    }
}

// The arrow of an rxvt lower-case final (Shift in CSI, Ctrl in SS3).
int ArrowOfLowerFinal(unsigned char final) {
    switch (final) {
    case 'a':
        return kKeyUp;
    case 'b':
        return kKeyDown;
    case 'c':
        return kKeyRight;
    case 'd':
        return kKeyLeft;
    default:
        return -1;
    }
}

// A key given as a character code with modifiers (CSI-u and modifyOtherKeys).
DecodedInput KeyOfCharacterCode(int code, int modifiers, size_t consumed) {
    switch (code) {
    case 8:
    case 127:
        return KeyItem(kKeyBackspace, modifiers, consumed);
    case 9:
        return KeyItem(kKeyTab, modifiers, consumed);
    case 13:
        return KeyItem(kKeyEnter, modifiers, consumed);
    case 27:
        return KeyItem(kKeyEsc, modifiers, consumed);
    default:
        break;
    }
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
    int key = KeyOfFinalLetter(final);
    if (key >= 0) return KeyItem(key, modifiers, consumed);
    key = ArrowOfLowerFinal(final);
    if (key >= 0) return KeyItem(key, modifiers | (ss3 ? kCtrlBit : kShiftBit), consumed);
    if (ss3) return Item(InputKind::kIgnored, consumed);

    switch (final) {
    case '~':
    case '$':
    case '^':
    case '@': {
        if (final == '~' && first == 200) return Item(InputKind::kPasteBegin, consumed);
        if (final == '~' && first == 201) return Item(InputKind::kPasteEnd, consumed);
        if (final == '~' && first == 27 && count >= 3)
            return KeyOfCharacterCode(parameters[2], modifiers, consumed);
        if (final == '$') modifiers |= kShiftBit;
        if (final == '^') modifiers |= kCtrlBit;
        if (final == '@') modifiers |= kCtrlShiftState;
        key = KeyOfTildeNumber(first);
        if (key < 0) {
            key = ShiftedFunctionKeyOfTildeNumber(first);
            modifiers |= kShiftBit;
        }
        return key >= 0 ? KeyItem(key, modifiers, consumed) : Item(InputKind::kIgnored, consumed);
    }
    case 'u':
        return KeyOfCharacterCode(first, modifiers, consumed);
    case 'Z':
        return KeyItem(kKeyTab, modifiers | kShiftBit, consumed);
    default:
        return Item(InputKind::kIgnored, consumed);
    }
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
        DecodedInput item = ControlSequence(bytes, length, complete, false, 0);
        return item.kind == InputKind::kNeedMore ? Item(InputKind::kNeedMore, 0) : item;
    }
    if (next == 'O') {
        if (length < 3 && !complete) return Item(InputKind::kNeedMore, 0);
        if (length < 3) return KeyItem(kKeyA + 14, kAltBit | kShiftBit, 2); // Alt-Shift-O after all
        DecodedInput item = ControlSequence(bytes, length, complete, true, 0);
        return item.kind == InputKind::kNeedMore ? Item(InputKind::kNeedMore, 0) : item;
    }
    if (next == kEsc) {
        // ESC ESC [ ... is Alt with the key of the sequence; a second escape alone is Alt-Esc.
        if (length < 3 && !complete) return Item(InputKind::kNeedMore, 0);
        if (length >= 3 && (bytes[2] == '[' || bytes[2] == 'O')) {
            DecodedInput item =
                ControlSequence(bytes + 1, length - 1, complete, bytes[2] == 'O', kAltBit);
            if (item.kind == InputKind::kNeedMore) return Item(InputKind::kNeedMore, 0);
            item.consumed += 1;
            return item;
        }
        return KeyItem(kKeyEsc, kAltBit, 2);
    }
    // Alt with a plain key: the terminal sends escape and the key's own bytes.
    if (next < 0x20 || next == 0x7F) {
        DecodedInput item = ControlByte(next, lineFeedIsEnter);
        item.modifiers |= kAltBit;
        item.consumed = 2;
        return item;
    }
    DecodedInput item = Utf8Char(bytes + 1, length - 1, complete);
    if (item.kind == InputKind::kNeedMore) return Item(InputKind::kNeedMore, 0);
    item.consumed += 1;
    if (item.kind != InputKind::kText) return item;
    AsciiKey key = item.text < 0x80 ? KeyForAscii(item.text) : AsciiKey{-1, 0};
    if (key.key < 0) return Item(InputKind::kIgnored, item.consumed); // no key of its own
    return KeyItem(key.key, key.modifiers | kAltBit, item.consumed);
}

} // namespace

size_t ConsoleColumn(int modifiers) {
    return kColumnOfState[modifiers & kCtrlAltShiftState];
}

KeyReport ReportKey(int key, int modifiers, bool extendedHost) {
    KeyReport report{};
    report.modifiers = modifiers & kCtrlAltShiftState;
    if (key < 0 || key >= kConsoleKeyCount) return report;
    size_t column = ConsoleColumn(modifiers);
    int32_t cell = ConsoleKeyTable[key].cells[column];
    FormatText(report.keyName, std::size(report.keyName), u"%s%s", ModifierPrefixes[column],
               ConsoleKeyTable[key].name);
    if ((cell & kByName) != 0 && extendedHost) {
        report.reported = true;
        report.keyCode = 0;
        return report;
    }
    report.keyCode = cell & ~kByName;
    report.reported = report.keyCode != 0;
    return report;
}

KeyReport ReportText(char16_t unit) {
    KeyReport report{};
    report.reported = true;
    report.keyCode = unit;
    return report;
}

void ConsoleKeyName(int key, int modifiers, char16_t* out, size_t capacity) {
    if (key < 0 || key >= kConsoleKeyCount) {
        CopyText(out, capacity, u"");
        return;
    }
    // The keys actually held, in the order Ctrl, Alt, Shift: Shift with Alt too.
    FormatText(out, capacity, u"%s%s%s%s", HeldPrefix(modifiers, kCtrlBit, kColumnCtrl),
               HeldPrefix(modifiers, kAltBit, kColumnAlt),
               HeldPrefix(modifiers, kShiftBit, kColumnShift), ConsoleKeyTable[key].name);
}

DecodedInput DecodeInput(const unsigned char* bytes, size_t length, bool complete,
                         bool lineFeedIsEnter) {
    if (length == 0) return Item(InputKind::kNeedMore, 0);
    unsigned char lead = bytes[0];
    if (lead == kEsc) return EscapeSequence(bytes, length, complete, lineFeedIsEnter);
    if (lead < 0x20 || lead == 0x7F) return ControlByte(lead, lineFeedIsEnter);
    DecodedInput item = Utf8Char(bytes, length, complete);
    if (item.kind == InputKind::kNeedMore) return Item(InputKind::kNeedMore, 0);
    return item;
}
