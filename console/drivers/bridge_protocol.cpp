// The messages between torvane-console and torvane_console_bridge.exe. TEXT fields are hex
// (HexText), numbers decimal.
//
// Console to bridge, each answered with "done RESULT" unless said otherwise:
//   set NAME VALUE     sets a host variable
//   unset NAME         removes a host variable
//   row N              the row GetAbsCursorPosition reports from now on
//   expand TEXT        answered with "done 0 TEXT": the text with variables expanded
//   start              GetPluginInfo, then InitializePlugin
//   stop               ShutdownPlugin; the bridge ends after the answer
//   command ARGS       the TORVANE command
//   help NAME          the Help export
//   usage NAME         the Usage export, answered with "done RESULT TEXT"
//   key ...            the keystroke handler (EncodeKeyRequest), answered by EncodeKeyReply
//   closed             a message box the bridge asked for was closed
// Bridge to console, while a call runs:
//   out STREAM TEXT    the plug-in wrote TEXT to the host's standard output (1) or error (2);
//                      long output comes as several messages (TextMessages)
//   trace TEXT         the plug-in wrote TEXT to the console device (a trace line), also in pieces
//   sound ALIAS        the plug-in played a system sound
//   box TITLE TEXT     the plug-in shows a message box; the console answers "closed"
// and once: "ready" when both DLLs are loaded, or "fail REASON" when something cannot be done.
#include "console/drivers/bridge_protocol.h"

#include <cstdlib>

#include "standins/utf8.h"

namespace {

// A key record has this many fields before a reply's cleared offsets.
constexpr size_t kKeyFieldCount = 13;

// Writes a message one field at a time.
struct Writer {
    std::string line;
    void Number(long n) { line += " " + std::to_string(n); }
    void Text(const std::u16string& text) { line += " " + HexText(text); }
};

// Reads a message's fields one after another.
struct Reader {
    const std::vector<std::string>& fields;
    size_t next = 1; // after the message's name
    long Number() { return FieldNumber(fields, next++); }
    std::u16string Text() { return FieldText(fields, next++); }
};

// The record's numbers: CODE STARTROW STARTCOLUMN CURSORROW CURSORCOLUMN CURSOR.
void WriteNumbers(Writer& w, const KeyFields& r) {
    for (long n : {long{r.keyCode}, long{r.startRow}, long{r.startColumn}, long{r.cursorRow},
                   long{r.cursorColumn}, r.cursor})
        w.Number(n);
}
void ReadNumbers(Reader& r, KeyFields* k) {
    k->keyCode = static_cast<int32_t>(r.Number());
    k->startRow = static_cast<int32_t>(r.Number());
    k->startColumn = static_cast<int32_t>(r.Number());
    k->cursorRow = static_cast<int32_t>(r.Number());
    k->cursorColumn = static_cast<int32_t>(r.Number());
    k->cursor = r.Number();
}

// The record's key name and the line's change: NAME AT REMOVED INSERTED.
void WriteNameAndEdit(Writer& w, const KeyFields& r) {
    w.Text(r.name);
    w.line += " " + EditFields(r.edit);
}
void ReadNameAndEdit(Reader& r, KeyFields* k) {
    k->name = r.Text();
    k->edit.at = static_cast<size_t>(r.Number());
    k->edit.removed = static_cast<size_t>(r.Number());
    k->edit.inserted = r.Text();
}

} // namespace

std::string HexText(const char16_t* text, size_t length) {
    if (length == 0) return "-";
    constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(length * 4);
    for (size_t i = 0; i < length; ++i)
        for (int shift = 12; shift >= 0; shift -= 4)
            out += kDigits[(text[i] >> shift) & 0xF];
    return out;
}

std::string HexText(const std::u16string& text) {
    return HexText(text.data(), text.size());
}

std::u16string TextOfHex(const std::string& hex) {
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

std::vector<std::string> TextMessages(const std::string& head, const char16_t* text,
                                      size_t length) {
    std::vector<std::string> out;
    for (size_t start = 0; start < length;) {
        size_t end = length - start > kLineBufferSize ? start + kLineBufferSize : length;
        if (end < length && IsHighSurrogate(text[end - 1])) --end;
        out.push_back(head + " " + HexText(text + start, end - start));
        start = end;
    }
    return out;
}

LineTaken TakeLine(std::string* received, std::string* line) {
    size_t end = received->find('\n');
    if (end == std::string::npos || end > kLongestLine)
        return received->size() > kLongestLine ? LineTaken::kTooLong : LineTaken::kWaiting;
    line->assign(*received, 0, end);
    received->erase(0, end + 1);
    return LineTaken::kLine;
}

std::vector<std::string> Fields(const std::string& line) {
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

long FieldNumber(const std::vector<std::string>& fields, size_t i) {
    return i < fields.size() ? std::strtol(fields[i].c_str(), nullptr, 10) : 0;
}

std::u16string FieldText(const std::vector<std::string>& fields, size_t i) {
    return i < fields.size() ? TextOfHex(fields[i]) : u"";
}

LineEdit EditBetween(const char16_t* from, size_t fromLength, const char16_t* to, size_t toLength) {
    size_t start = 0;
    while (start < fromLength && start < toLength && from[start] == to[start])
        ++start;
    size_t end = 0;
    while (end < fromLength - start && end < toLength - start &&
           from[fromLength - 1 - end] == to[toLength - 1 - end])
        ++end;
    return {start, fromLength - start - end, std::u16string(to + start, toLength - start - end)};
}

std::string EditFields(const LineEdit& edit) {
    return std::to_string(edit.at) + " " + std::to_string(edit.removed) + " " +
           HexText(edit.inserted);
}

bool ApplyEdit(char16_t* text, size_t* length, size_t capacity, const LineEdit& edit) {
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

KeyFields FieldsOfRecord(const KeystrokeRecord& r, long cursor) {
    return {r.keyCode, r.startRow, r.startColumn, r.cursorRow, r.cursorColumn, cursor, u"", {}};
}

void SetRecordNumbers(KeystrokeRecord* record, const KeyFields& fields) {
    record->keyCode = fields.keyCode;
    record->startRow = fields.startRow;
    record->startColumn = fields.startColumn;
    record->cursorRow = fields.cursorRow;
    record->cursorColumn = fields.cursorColumn;
}

// key MODIFIERS CODE STARTROW STARTCOLUMN CURSORROW CURSORCOLUMN CURSOR HASNAME NAME AT REMOVED
// INSERTED: the record as the console built it; HASNAME 1 when the record has a key name.
std::string EncodeKeyRequest(const KeyRequest& request) {
    Writer w{"key"};
    w.Number(request.modifiers);
    WriteNumbers(w, request.record);
    w.Number(request.hasName ? 1 : 0);
    WriteNameAndEdit(w, request.record);
    return w.line;
}

bool DecodeKeyRequest(const std::vector<std::string>& fields, KeyRequest* request) {
    if (fields.size() < kKeyFieldCount || fields[0] != "key") return false;
    Reader r{fields};
    request->modifiers = static_cast<int>(r.Number());
    ReadNumbers(r, &request->record);
    request->hasName = r.Number() != 0;
    ReadNameAndEdit(r, &request->record);
    return true;
}

// done RESULT CODE STARTROW STARTCOLUMN CURSORROW CURSORCOLUMN CURSOR REDRAW NAME AT REMOVED
// INSERTED CLEARED...: the record as the plug-in left it, its result, and each offset in the line
// where it cleared the shown line.
std::string EncodeKeyReply(const KeyReply& reply) {
    Writer w{"done"};
    w.Number(reply.result);
    WriteNumbers(w, reply.record);
    w.Number(reply.redraw);
    WriteNameAndEdit(w, reply.record);
    for (long offset : reply.cleared)
        w.Number(offset);
    return w.line;
}

bool DecodeKeyReply(const std::vector<std::string>& fields, KeyReply* reply) {
    if (fields.size() < kKeyFieldCount || fields[0] != "done") return false;
    Reader r{fields};
    reply->result = static_cast<int>(r.Number());
    ReadNumbers(r, &reply->record);
    reply->redraw = static_cast<int32_t>(r.Number());
    ReadNameAndEdit(r, &reply->record);
    reply->cleared.clear();
    for (size_t i = kKeyFieldCount; i < fields.size(); ++i)
        reply->cleared.push_back(FieldNumber(fields, i));
    return true;
}
