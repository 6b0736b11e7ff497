// Breaking the console's own texts at blanks.
#include "console/wrap.h"

#include "console/editor.h"
#include "standins/utf8.h"

namespace {

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
