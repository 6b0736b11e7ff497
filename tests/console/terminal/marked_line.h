// An edit line written as text with '|' where its cursor is, for the line's and layout's tests.
#pragma once

#include <memory>
#include <string>

#include "console/terminal/line.h"

// A line on the heap (it holds 65536 characters); '|' in text marks the cursor.
inline std::unique_ptr<ConsoleLine> MakeLine(std::u16string text) {
    auto line = std::make_unique<ConsoleLine>();
    LineClear(line.get());
    line->overwrite = false;
    size_t cursor = text.find(u'|');
    if (cursor != std::u16string::npos) text.erase(cursor, 1);
    LineSetText(line.get(), text.data(), text.size());
    if (cursor != std::u16string::npos) line->cursor = cursor;
    return line;
}

inline std::u16string Shown(const ConsoleLine& line) {
    return std::u16string(line.text, line.length).insert(line.cursor, u"|");
}
