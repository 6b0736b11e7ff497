// The keys the console tells apart on a terminal, as the decoder reports them with the modifier
// bits of keys/modifiers.h. The order is the order of the host's key-report table.
#pragma once

#include "keys/modifiers.h"

// clang-format off
enum ConsoleKey : int {
    kKeyF1, kKeyF2, kKeyF3, kKeyF4, kKeyF5, kKeyF6, kKeyF7, kKeyF8, kKeyF9, kKeyF10, kKeyF11, kKeyF12,
    kKeyHome, kKeyEnd, kKeyPgUp, kKeyPgDn, kKeyIns, kKeyDel, kKeyUp, kKeyDown, kKeyLeft, kKeyRight,
    kKeyA, kKeyZ = kKeyA + 25,  // A to Z in order
    kKey1, kKey0 = kKey1 + 9,   // 1 to 9, then 0
    kKeyBackspace, kKeyGrave, kKeyMinus, kKeyPlus, kKeyEnter, kKeyLeftBracket, kKeyRightBracket,
    kKeyBackslash, kKeySemicolon, kKeyApostrophe, kKeyComma, kKeyDecimal, kKeyDivide, kKeyTab,
    kKeyEsc,
    kConsoleKeyCount
};
// clang-format on

// The key of a letter, 'A' to 'Z'.
constexpr int LetterKey(char letter) {
    return kKeyA + (letter - 'A');
}

// The key of a digit, '1' to '9' and '0', in keyboard order.
constexpr int DigitKey(char digit) {
    return digit == '0' ? kKey0 : kKey1 + (digit - '1');
}

// Ctrl-C, which leaves the console wherever it is pressed.
constexpr bool IsCtrlC(int key, int modifiers) {
    return key == LetterKey('C') && modifiers == kCtrlBit;
}
