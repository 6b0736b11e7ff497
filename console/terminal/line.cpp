// The edit line's buffer and its editing.
#include "console/terminal/line.h"

#include <cstdint>
#include <cstring>

#include "standins/utf8.h"
#include "text/wtext.h"

namespace {

// Units of the character that starts at index i.
size_t UnitsAt(const ConsoleLine& line, size_t i) {
    size_t units = 1;
    CharacterAt(line.text, line.length, i, &units);
    return units;
}

// Units of the character that ends just before index i.
size_t UnitsBefore(const ConsoleLine& line, size_t i) {
    if (i >= 2 && IsLowSurrogate(line.text[i - 1]) && IsHighSurrogate(line.text[i - 2])) return 2;
    return 1;
}

// Removes count units at index i.
void RemoveUnits(ConsoleLine* line, size_t i, size_t count) {
    std::memmove(line->text + i, line->text + i + count,
                 (line->length - i - count + 1) * sizeof(char16_t));
    line->length -= count;
}

bool IsWordBreak(char16_t ch) {
    return ch == u' ' || ch == u'\t';
}

} // namespace

void LineClear(ConsoleLine* line) {
    line->text[0] = 0;
    line->length = 0;
    line->cursor = 0;
}

void LineSetText(ConsoleLine* line, const char16_t* text, size_t length) {
    if (length > kMaxLineLength) length = kMaxLineLength;
    std::memcpy(line->text, text, length * sizeof(char16_t));
    line->text[length] = 0;
    line->length = length;
    line->cursor = length;
}

bool LineType(ConsoleLine* line, const char16_t* units, size_t count) {
    size_t replaced = 0;
    if (line->overwrite && line->cursor < line->length) replaced = UnitsAt(*line, line->cursor);
    if (line->length - replaced + count > kMaxLineLength) return false;
    if (replaced > 0) RemoveUnits(line, line->cursor, replaced);
    std::memmove(line->text + line->cursor + count, line->text + line->cursor,
                 (line->length - line->cursor + 1) * sizeof(char16_t));
    std::memcpy(line->text + line->cursor, units, count * sizeof(char16_t));
    line->length += count;
    line->cursor += count;
    return true;
}

void LineBackspace(ConsoleLine* line) {
    if (line->cursor == 0) return;
    size_t units = UnitsBefore(*line, line->cursor);
    line->cursor -= units;
    RemoveUnits(line, line->cursor, units);
}

void LineDelete(ConsoleLine* line) {
    if (line->cursor < line->length) RemoveUnits(line, line->cursor, UnitsAt(*line, line->cursor));
}

void LineLeft(ConsoleLine* line) {
    if (line->cursor > 0) line->cursor -= UnitsBefore(*line, line->cursor);
}

void LineRight(ConsoleLine* line) {
    if (line->cursor < line->length) line->cursor += UnitsAt(*line, line->cursor);
}

void LineHome(ConsoleLine* line) {
    line->cursor = 0;
}
void LineEnd(ConsoleLine* line) {
    line->cursor = line->length;
}

void LineWordLeft(ConsoleLine* line) {
    while (line->cursor > 0 && IsWordBreak(line->text[line->cursor - 1]))
        --line->cursor;
    while (line->cursor > 0 && !IsWordBreak(line->text[line->cursor - 1]))
        --line->cursor;
}

void LineWordRight(ConsoleLine* line) {
    while (line->cursor < line->length && !IsWordBreak(line->text[line->cursor]))
        ++line->cursor;
    while (line->cursor < line->length && IsWordBreak(line->text[line->cursor]))
        ++line->cursor;
}

void LineAdopt(ConsoleLine* line, const char16_t* cursorPos) {
    line->text[kMaxLineLength] = 0;
    line->length = TextLengthBounded(line->text, kConsoleLineSize);
    size_t index = 0;
    if (LineIndexOf(*line, cursorPos, &index)) {
        line->cursor = index;
    } else if (line->cursor > line->length) {
        line->cursor = line->length;
    }
    if (line->cursor > 0 && line->cursor < line->length &&
        IsLowSurrogate(line->text[line->cursor]) && IsHighSurrogate(line->text[line->cursor - 1]))
        --line->cursor;
}

bool LineIndexOf(const ConsoleLine& line, const char16_t* place, size_t* index) {
    auto base = reinterpret_cast<uintptr_t>(line.text);
    auto at = reinterpret_cast<uintptr_t>(place);
    if (at < base || at > base + line.length * sizeof(char16_t) ||
        (at - base) % sizeof(char16_t) != 0)
        return false;
    *index = (at - base) / sizeof(char16_t);
    return true;
}
