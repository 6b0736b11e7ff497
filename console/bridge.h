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
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "plugin/host.h"

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

// Field i as a number; a missing or malformed field reads as 0.
inline long FieldNumber(const std::vector<std::string>& fields, size_t i) {
    return i < fields.size() ? std::strtol(fields[i].c_str(), nullptr, 10) : 0;
}

// Field i as hex text; a missing field reads as empty text.
inline std::u16string FieldText(const std::vector<std::string>& fields, size_t i) {
    return i < fields.size() ? TextOfHex(fields[i]) : u"";
}

// The change from one text to another: the common start and end are kept.
struct LineEdit {
    size_t at;
    size_t removed;
    std::u16string inserted;
    bool operator==(const LineEdit&) const = default;
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

// A keystroke record as it crosses: its numbers, the cursor as an index into the line (-1 for a
// pointer outside it), the key name, and the line's change.
struct KeyFields {
    int32_t keyCode;
    int32_t startRow;
    int32_t startColumn;
    int32_t cursorRow;
    int32_t cursorColumn;
    long cursor;
    std::u16string name;
    LineEdit edit;
    bool operator==(const KeyFields&) const = default;
};

// The request to call the keystroke handler with the modifier keys held.
struct KeyRequest {
    int modifiers;
    bool hasName; // the record has a key name (a host that reports keys by name)
    KeyFields record;
    bool operator==(const KeyRequest&) const = default;
};

// The record as the plug-in left it, and where it cleared the shown line (offsets into the line,
// -1 for a place outside it).
struct KeyReply {
    int result;
    int32_t redraw;
    KeyFields record;
    std::vector<long> cleared;
    bool operator==(const KeyReply&) const = default;
};

// The fields of a key request or reply before the cleared offsets.
constexpr size_t kKeyFieldCount = 13;

// The record's numbers, with the cursor given as an index.
inline KeyFields FieldsOfRecord(const KeystrokeRecord& r, long cursor) {
    return {r.keyCode, r.startRow, r.startColumn, r.cursorRow, r.cursorColumn, cursor, u"", {}};
}

// Puts the numbers into a record; where the cursor points is for each side to say.
inline void SetRecordNumbers(KeystrokeRecord* record, const KeyFields& fields) {
    record->keyCode = fields.keyCode;
    record->startRow = fields.startRow;
    record->startColumn = fields.startColumn;
    record->cursorRow = fields.cursorRow;
    record->cursorColumn = fields.cursorColumn;
}

// CODE STARTROW STARTCOLUMN CURSORROW CURSORCOLUMN CURSOR FLAG NAME EDIT, each after a blank.
inline std::string KeyFieldsText(const KeyFields& r, long flag) {
    std::string out;
    for (long n : {long{r.keyCode}, long{r.startRow}, long{r.startColumn}, long{r.cursorRow},
                   long{r.cursorColumn}, r.cursor, flag})
        out += " " + std::to_string(n);
    return out + " " + HexText(r.name) + " " + EditFields(r.edit);
}

// Reads what KeyFieldsText wrote from field 2 on; FLAG goes to *flag.
inline void ReadKeyFields(const std::vector<std::string>& f, KeyFields* r, long* flag) {
    r->keyCode = static_cast<int32_t>(FieldNumber(f, 2));
    r->startRow = static_cast<int32_t>(FieldNumber(f, 3));
    r->startColumn = static_cast<int32_t>(FieldNumber(f, 4));
    r->cursorRow = static_cast<int32_t>(FieldNumber(f, 5));
    r->cursorColumn = static_cast<int32_t>(FieldNumber(f, 6));
    r->cursor = FieldNumber(f, 7);
    *flag = FieldNumber(f, 8);
    r->name = FieldText(f, 9);
    r->edit = {static_cast<size_t>(FieldNumber(f, 10)), static_cast<size_t>(FieldNumber(f, 11)),
               FieldText(f, 12)};
}

inline std::string EncodeKeyRequest(const KeyRequest& request) {
    return "key " + std::to_string(request.modifiers) +
           KeyFieldsText(request.record, request.hasName ? 1 : 0);
}

// False for a line that is no whole key request.
inline bool DecodeKeyRequest(const std::vector<std::string>& f, KeyRequest* request) {
    if (f.size() < kKeyFieldCount || f[0] != "key") return false;
    request->modifiers = static_cast<int>(FieldNumber(f, 1));
    long hasName = 0;
    ReadKeyFields(f, &request->record, &hasName);
    request->hasName = hasName != 0;
    return true;
}

inline std::string EncodeKeyReply(const KeyReply& reply) {
    std::string out =
        "done " + std::to_string(reply.result) + KeyFieldsText(reply.record, reply.redraw);
    for (long offset : reply.cleared)
        out += " " + std::to_string(offset);
    return out;
}

// False for a reply that is no whole key reply (a failed call among them).
inline bool DecodeKeyReply(const std::vector<std::string>& f, KeyReply* reply) {
    if (f.size() < kKeyFieldCount || f[0] != "done") return false;
    reply->result = static_cast<int>(FieldNumber(f, 1));
    long redraw = 0;
    ReadKeyFields(f, &reply->record, &redraw);
    reply->redraw = static_cast<int32_t>(redraw);
    reply->cleared.clear();
    for (size_t i = kKeyFieldCount; i < f.size(); ++i)
        reply->cleared.push_back(FieldNumber(f, i));
    return true;
}
