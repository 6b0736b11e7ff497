// The layout of the edit line and of the console's texts on a terminal.
#include "console/terminal/layout.h"

#include <cstdint>

#include "console/terminal/visible_text.h"
#include "standins/utf8.h"
#include "text/wtext.h"

namespace {

// One thing drawn: a character, or a control character in its visible form such as ^I.
struct Shown {
    size_t units; // line units it stands for
    size_t width; // terminal columns
    std::string bytes;
};

// How the character at text[i] is shown on a terminal width columns wide.
Shown ShowAt(const char16_t* text, size_t length, size_t i, size_t width) {
    Shown shown{1, 1, {}};
    char32_t ch = CharacterAt(text, length, i, &shown.units);
    if (IsSurrogate(ch)) ch = 0xFFFD;
    if (IsControl(ch)) {
        std::u16string visible = VisibleControl(ch);
        shown.width = TextColumns(visible);
        shown.bytes = ToUtf8(visible);
    } else {
        shown.width = CellWidth(ch);
        AppendUtf8(&shown.bytes, ch);
    }
    if (shown.width > width) {
        shown.width = 1;
        shown.bytes = "?";
    }
    return shown;
}

// The running place while a line is laid out.
struct Flow {
    size_t width;
    LinePlace at;
};

// Places an item of w columns: it moves to the next row when it does not fit, and the row ends
// as soon as it is full. Returns the item's place; *breaks counts the row ends before and after.
LinePlace Put(Flow* flow, size_t w, int* breaksBefore, int* breaksAfter) {
    *breaksBefore = *breaksAfter = 0;
    if (w > 0 && flow->at.column + w > flow->width) {
        ++flow->at.row;
        flow->at.column = 0;
        *breaksBefore = 1;
    }
    LinePlace place = flow->at;
    flow->at.column += w;
    if (flow->at.column >= flow->width) {
        ++flow->at.row;
        flow->at.column = 0;
        *breaksAfter = 1;
    }
    return place;
}

// Lays out prompt and line; calls visit(lineIndex or SIZE_MAX for the prompt, place, shown,
// breaksBefore, breaksAfter) per item and returns the place after the last one.
template <typename Visit>
LinePlace LayOut(const char16_t* prompt, const ConsoleLine& line, size_t width, Visit visit) {
    Flow flow{width < 1 ? 1 : width, {0, 0}};
    size_t promptLength = TextLength(prompt);
    int before = 0;
    int after = 0;
    for (size_t i = 0; i < promptLength;) {
        Shown shown = ShowAt(prompt, promptLength, i, flow.width);
        LinePlace place = Put(&flow, shown.width, &before, &after);
        visit(SIZE_MAX, place, shown, before, after);
        i += shown.units;
    }
    for (size_t i = 0; i < line.length;) {
        Shown shown = ShowAt(line.text, line.length, i, flow.width);
        LinePlace place = Put(&flow, shown.width, &before, &after);
        visit(i, place, shown, before, after);
        i += shown.units;
    }
    return flow.at;
}

// One line (no line feed) broken into rows, appended to out.
void WrapLine(const std::u16string& line, size_t width, size_t indent, std::u16string* out) {
    size_t column = 0;
    size_t i = 0;
    while (i < line.size()) {
        size_t blanksEnd = i;
        while (blanksEnd < line.size() && line[blanksEnd] == u' ')
            ++blanksEnd;
        size_t wordEnd = blanksEnd;
        while (wordEnd < line.size() && line[wordEnd] != u' ')
            ++wordEnd;
        std::u16string blanks = line.substr(i, blanksEnd - i);
        std::u16string word = line.substr(blanksEnd, wordEnd - blanksEnd);
        size_t wordColumns = TextColumns(word);
        if (column > 0 && !word.empty() && column + blanks.size() + wordColumns > width) {
            *out += u'\n';
            out->append(indent, u' ');
            column = indent;
            blanks.clear();
        }
        *out += blanks + word;
        column += blanks.size() + wordColumns;
        i = wordEnd;
    }
}

} // namespace

size_t CellWidth(char32_t ch) {
    struct Range {
        char32_t first;
        char32_t last;
    };
    constexpr Range kZeroWidth[] = {
        {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A},
        {0x064B, 0x065F}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x200B, 0x200F},
        {0x20D0, 0x20FF}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xE0100, 0xE01EF},
    };
    constexpr Range kDoubleWidth[] = {
        {0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},
        {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},
        {0xFE30, 0xFE4F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F},
        {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
    };
    for (const auto& r : kZeroWidth)
        if (ch >= r.first && ch <= r.last) return 0;
    for (const auto& r : kDoubleWidth)
        if (ch >= r.first && ch <= r.last) return 2;
    return 1;
}

size_t TextColumns(const std::u16string& text) {
    size_t columns = 0;
    for (size_t i = 0, units = 1; i < text.size(); i += units)
        columns += CellWidth(CharacterAt(text.data(), text.size(), i, &units));
    return columns;
}

std::u16string WrapText(const std::u16string& text, size_t width, size_t indent) {
    if (width < 1) width = 1;
    if (indent >= width) indent = 0;
    std::u16string out;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(u'\n', start);
        WrapLine(text.substr(start, end - start), width, indent, &out);
        if (end == std::u16string::npos) return out;
        out += u'\n';
        start = end + 1;
    }
}

LinePlace PlaceOf(const char16_t* prompt, const ConsoleLine& line, size_t width, size_t index) {
    LinePlace found{0, 0};
    bool seen = false;
    LinePlace end =
        LayOut(prompt, line, width, [&](size_t i, LinePlace place, const Shown& shown, int, int) {
            if (!seen && i != SIZE_MAX && index < i + shown.units) {
                found = place;
                seen = true;
            }
        });
    return seen ? found : end;
}

LinePlace EndOf(const char16_t* prompt, const ConsoleLine& line, size_t width) {
    return LayOut(prompt, line, width, [](size_t, LinePlace, const Shown&, int, int) {});
}

std::string DrawLine(const char16_t* prompt, const ConsoleLine& line, size_t width,
                     LinePlace* cursorPlace) {
    std::string out;
    LinePlace cursor{0, 0};
    bool seen = false;
    LinePlace end =
        LayOut(prompt, line, width,
               [&](size_t i, LinePlace place, const Shown& shown, int before, int after) {
                   if (before) out += "\r\n";
                   if (!seen && i != SIZE_MAX && line.cursor < i + shown.units) {
                       cursor = place;
                       seen = true;
                   }
                   out += shown.bytes;
                   if (after) out += "\r\n";
               });
    if (!seen) cursor = end;
    out += MoveBetween(end, cursor);
    *cursorPlace = cursor;
    return out;
}

std::vector<size_t> RowWidths(const char16_t* prompt, const ConsoleLine& line, size_t width) {
    std::vector<size_t> rows;
    LinePlace end =
        LayOut(prompt, line, width, [&](size_t, LinePlace place, const Shown& shown, int, int) {
            if (rows.size() <= place.row) rows.resize(place.row + 1, 0);
            rows[place.row] = place.column + shown.width;
        });
    if (rows.size() <= end.row) rows.resize(end.row + 1, 0);
    return rows;
}

LinePlace Rewrapped(const std::vector<size_t>& rows, LinePlace place, size_t width) {
    if (width < 1) width = 1;
    auto rowsOf = [&](size_t i) {
        return i < rows.size() && rows[i] > width ? (rows[i] + width - 1) / width : 1;
    };
    size_t row = 0;
    for (size_t i = 0; i < place.row; ++i)
        row += rowsOf(i);
    size_t within = place.column / width;
    if (within >= rowsOf(place.row)) within = rowsOf(place.row) - 1;
    size_t column = place.column - within * width;
    return {row + within, column < width ? column : width - 1};
}

std::string MoveBetween(LinePlace from, LinePlace to) {
    std::string out;
    if (to.row < from.row) out += "\x1b[" + std::to_string(from.row - to.row) + "A";
    if (to.row > from.row) out += "\x1b[" + std::to_string(to.row - from.row) + "B";
    if (to.column != from.column) {
        out += "\r";
        if (to.column > 0) out += "\x1b[" + std::to_string(to.column) + "C";
    }
    return out;
}
