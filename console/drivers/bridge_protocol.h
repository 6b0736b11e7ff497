// The wire between torvane-console and its bridge program, which runs the real Torvane.dll under
// Wine: one message per line, fields separated by blanks, text as hex. Every message is listed
// where it is encoded, in bridge_protocol.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "plugin/host.h"

// Four hex digits per UTF-16 unit; "-" for empty text, so that no field is ever empty.
std::string HexText(const char16_t* text, size_t length);
std::string HexText(const std::u16string& text);
// The text of a hex field; digits that are no hex digits read as 0, a cut-off unit is dropped.
std::u16string TextOfHex(const std::string& hex);

// The longest message either side sends: a key record whose edit carries a whole line, with room
// for its numbers, its key name and the places where the plug-in cleared the line. Text of any
// length crosses in pieces (TextMessages), so that no message is longer.
constexpr size_t kLongestMessage = 4 * kLineBufferSize + 4096;
// A reader gives the other side up once this many bytes came without a line's end.
constexpr size_t kLongestLine = 4 * kLongestMessage;

// The messages HEAD TEXT that carry text of any length: one for each piece of at most
// kLineBufferSize units, a surrogate pair never cut in two; none for empty text.
std::vector<std::string> TextMessages(const std::string& head, const char16_t* text, size_t length);

enum class LineTaken {
    kLine,    // a whole line was taken
    kWaiting, // its end is still to come
    kTooLong, // more than kLongestLine bytes came without a line's end
};

// Takes the first whole line out of received into *line, without its line feed.
LineTaken TakeLine(std::string* received, std::string* line);

// The fields of a line, split at blanks, up to the line's end.
std::vector<std::string> Fields(const std::string& line);
// Field i as a number; a missing or malformed field reads as 0.
long FieldNumber(const std::vector<std::string>& fields, size_t i);
// Field i as hex text; a missing field reads as empty text.
std::u16string FieldText(const std::vector<std::string>& fields, size_t i);

// The change from one text to another: REMOVED characters at AT replaced by INSERTED. The edit
// line crosses as such changes, so that a 64K line does not cross on every key.
struct LineEdit {
    size_t at;
    size_t removed;
    std::u16string inserted;
    bool operator==(const LineEdit&) const = default;
};

// The change from one text to another: their common start and end are kept.
LineEdit EditBetween(const char16_t* from, size_t fromLength, const char16_t* to, size_t toLength);
// The three fields of an edit: AT REMOVED INSERTED.
std::string EditFields(const LineEdit& edit);
// Applies an edit to text of length characters in a buffer of capacity characters (terminator
// included); false, with nothing changed, when it does not fit or does not match the text.
bool ApplyEdit(char16_t* text, size_t* length, size_t capacity, const LineEdit& edit);

// A keystroke record as it crosses: its numbers, the cursor as an index into the line (-1 for a
// pointer outside it), the key name and the line's change.
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

// The record's numbers, with the cursor given as an index.
KeyFields FieldsOfRecord(const KeystrokeRecord& record, long cursor);
// Puts the numbers into a record; where the cursor points is for each side to say.
void SetRecordNumbers(KeystrokeRecord* record, const KeyFields& fields);

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

std::string EncodeKeyRequest(const KeyRequest& request);
// False for fields that are no whole key request.
bool DecodeKeyRequest(const std::vector<std::string>& fields, KeyRequest* request);
std::string EncodeKeyReply(const KeyReply& reply);
// False for fields that are no whole key reply (a failed call among them).
bool DecodeKeyReply(const std::vector<std::string>& fields, KeyReply* reply);
