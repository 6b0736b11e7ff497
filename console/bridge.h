// The protocol between torvane-console and its bridge program, which runs the real Torvane.dll
// under Wine. One request or report per line, fields separated by blanks, text as hex.
//
// Console to bridge:
//   set NAME VALUE / unset NAME / row N / expand TEXT / start / stop / command ARGS / help NAME /
//   usage NAME / closed (a message box was closed) /
//   key MODIFIERS CODE STARTROW STARTCOLUMN CURSORROW CURSORCOLUMN CURSOR HASNAME NAME EDIT
// Bridge to console, while a call runs:
//   trace TEXT / sound ALIAS / box TITLE TEXT (answered with closed) / out STREAM TEXT
// and at its end:
//   done RESULT [TEXT] / done RESULT CODE STARTROW STARTCOLUMN CURSORROW CURSORCOLUMN CURSOR
//   REDRAW NAME EDIT CLEARED... (after key) / fail REASON
// EDIT is three fields AT REMOVED INSERTED: the line changes by replacing REMOVED characters at
// AT with INSERTED. CURSOR is an index into the line, -1 for a pointer outside it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Four hex digits per UTF-16 unit; "-" for empty text, so that no field is ever empty.
inline std::string HexText(const char16_t* text, size_t length) {
    if (length == 0) return "-";
    constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(length * 4);
    for (size_t i = 0; i < length; ++i)
        for (int shift = 12; shift >= 0; shift -= 4)
            out += kDigits[(text[i] >> shift) & 0xF];
    return out;
}

inline std::string HexText(const std::u16string& text) {
    return HexText(text.data(), text.size());
}

// The text of a hex field; digits that are no hex digits read as 0, a cut-off unit is dropped.
inline std::u16string TextOfHex(const std::string& hex) {
    std::u16string out;
    if (hex == "-") return out;
    out.reserve(hex.size() / 4);
    for (size_t i = 0; i + 4 <= hex.size(); i += 4) {
        char16_t unit = 0;
        for (size_t k = 0; k < 4; ++k) {
            char c = hex[i + k];
            int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : 0;
            unit = static_cast<char16_t>((unit << 4) | digit);
        }
        out += unit;
    }
    return out;
}

// The fields of a line, split at blanks.
inline std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\n' && line[i] != '\r')
            ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
        if (i < line.size() && (line[i] == '\n' || line[i] == '\r')) break;
    }
    return out;
}

// The change from one text to another: the common start and end are kept.
struct LineEdit {
    size_t at;
    size_t removed;
    std::u16string inserted;
};

inline LineEdit EditBetween(const char16_t* from, size_t fromLength, const char16_t* to,
                            size_t toLength) {
    size_t start = 0;
    while (start < fromLength && start < toLength && from[start] == to[start])
        ++start;
    size_t end = 0;
    while (end < fromLength - start && end < toLength - start &&
           from[fromLength - 1 - end] == to[toLength - 1 - end])
        ++end;
    return {start, fromLength - start - end, std::u16string(to + start, toLength - start - end)};
}

// The three fields of an edit.
inline std::string EditFields(const LineEdit& edit) {
    return std::to_string(edit.at) + " " + std::to_string(edit.removed) + " " +
           HexText(edit.inserted);
}

// Applies an edit to text of length characters in a buffer of capacity characters (terminator
// included); false, with nothing changed, when it does not fit or does not match the text.
inline bool ApplyEdit(char16_t* text, size_t* length, size_t capacity, const LineEdit& edit) {
    if (edit.at > *length || edit.removed > *length - edit.at) return false;
    size_t newLength = *length - edit.removed + edit.inserted.size();
    if (newLength + 1 > capacity) return false;
    size_t tail = *length - edit.at - edit.removed;
    char16_t* from = text + edit.at + edit.removed;
    char16_t* to = text + edit.at + edit.inserted.size();
    if (to < from) {
        for (size_t i = 0; i < tail; ++i)
            to[i] = from[i];
    } else {
        for (size_t i = tail; i > 0; --i)
            to[i - 1] = from[i - 1];
    }
    for (size_t i = 0; i < edit.inserted.size(); ++i)
        text[edit.at + i] = edit.inserted[i];
    text[newLength] = 0;
    *length = newLength;
    return true;
}
