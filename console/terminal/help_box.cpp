// The message box on the terminal. It is drawn below the output, one row per line of its text
// broken to fit, and redrawn in place when it scrolls.
#include "console/terminal/help_box.h"

#include <algorithm>
#include <string>

#include "console/terminal/keyboard.h"
#include "console/terminal/layout.h"
#include "console/terminal/visible_text.h"

namespace {

constexpr const char16_t* kButton = u"[ OK ]";
// Borders, the row under the body and the button's row; a row below the box keeps the cursor.
constexpr size_t kFrameRows = 5 + 1;

// Splits text at its line feeds, dropping carriage returns, expanding tabs to the tab stops and
// showing any other control character in its visible form.
std::vector<std::u16string> TextLines(const std::u16string& text) {
    std::vector<std::u16string> lines(1);
    for (char16_t ch : text) {
        if (ch == u'\n')
            lines.emplace_back();
        else if (ch == u'\t')
            lines.back().append(NextTabStop(lines.back().size()) - lines.back().size(), u' ');
        else if (IsControl(ch))
            lines.back() += ch == u'\r' ? u"" : VisibleControl(ch);
        else
            lines.back() += ch;
    }
    if (lines.size() > 1 && lines.back().empty()) lines.pop_back();
    return lines;
}

// The longest start of text that takes at most width columns; at least one character.
size_t FittingUnits(const std::u16string& text, size_t width) {
    size_t units = text.size();
    while (units > 1 && TextColumns(text.substr(0, units)) > width)
        --units;
    return units;
}

// text broken at blanks into rows of at most width columns. The rows after the first keep the
// text's indent, as much of it as leaves half the row; a word wider than a row is cut, and its
// pieces are indented too.
void AddRows(const std::u16string& text, size_t width, std::vector<std::u16string>* rows) {
    size_t indent = std::min(text.find_first_not_of(u' '), width / 2);
    std::u16string wrapped = WrapText(text, width, indent);
    size_t start = 0;
    for (;;) {
        size_t end = wrapped.find(u'\n', start);
        std::u16string row = wrapped.substr(start, end - start);
        // A piece ends past the indent, so each one is shorter than the row it was cut from.
        for (size_t cut; TextColumns(row) > width && (cut = FittingUnits(row, width)) > indent;) {
            rows->push_back(row.substr(0, cut));
            row = std::u16string(indent, u' ') + row.substr(cut);
        }
        rows->push_back(row);
        if (end == std::u16string::npos) return;
        start = end + 1;
    }
}

// A row of the box: text cut or padded to the inner width between the borders.
std::u16string Row(const std::u16string& text, size_t inner) {
    std::u16string shown = text.substr(0, FittingUnits(text, inner));
    size_t columns = TextColumns(shown);
    return u"\u2502 " + shown + std::u16string(columns < inner ? inner - columns : 0, u' ') +
           u" \u2502";
}

std::u16string Border(char16_t left, char16_t right, size_t inner) {
    return left + std::u16string(inner + 2, u'\u2500') + right;
}

// Which lines show, and the keys that scroll them.
std::u16string ScrollNote(const BoxLayout& box, size_t top) {
    std::string note = "Lines " + std::to_string(top + 1) + "-" +
                       std::to_string(top + box.visible) + " of " +
                       std::to_string(box.body.size()) + ": Up/Down/PgUp/PgDn";
    return std::u16string(note.begin(), note.end());
}

bool IsCtrlC(const DecodedInput& item) {
    return item.kind == InputKind::kKey && ::IsCtrlC(item.key, item.modifiers);
}

// True when what waits for the pager belongs to the edit line: a paste (either mark: the paste
// may have begun before the page filled), or anything but pager keys that was typed ahead or came
// as more than one item at once. Replies that stand for no key count for neither.
bool ForTheLine(KeyReader* keys, bool typedAhead) {
    size_t items = 0;
    bool paste = false;
    bool other = false;
    ReaderLookAhead(keys, [&](const DecodedInput& item) {
        if (item.kind == InputKind::kIgnored) return;
        ++items;
        paste = paste || item.kind == InputKind::kPasteBegin || item.kind == InputKind::kPasteEnd;
        other = other || !MoreKey(item);
    });
    return paste || (other && (typedAhead || items > 1));
}

// True when the next item is a paste mark. A paste is the edit line's: the box must not take its
// end, or the line would stay in paste mode and type every later key.
bool PasteComes(KeyReader* keys) {
    bool paste = false;
    bool first = true;
    ReaderLookAhead(keys, [&](const DecodedInput& item) {
        if (!first || item.kind == InputKind::kIgnored) return;
        first = false;
        paste = item.kind == InputKind::kPasteBegin || item.kind == InputKind::kPasteEnd;
    });
    return paste;
}

// Draws the rows; after the first time the box is drawn over itself. Its sequences are in the list
// of every sequence the console writes (terminal_screen.h).
void Draw(Screen& screen, const BoxLayout& box, size_t top, bool again) {
    std::vector<std::u16string> rows = BoxRows(box, top);
    std::u16string out;
    if (again) {
        std::string up = "\x1b[" + std::to_string(rows.size()) + "A\r";
        out.assign(up.begin(), up.end());
    }
    for (const std::u16string& row : rows)
        out += row + u"\r\n"; // every row as wide as the box: nothing of the old one stays
    screen.Draw(out);
}

} // namespace

BoxLayout LayOutBox(const std::u16string& text, const std::u16string& title, size_t width,
                    size_t height) {
    std::vector<std::u16string> lines = TextLines(text);
    std::u16string shownTitle = VisibleLine(title);
    size_t inner = TextColumns(kButton);
    for (const std::u16string& line : lines)
        inner = TextColumns(line) > inner ? TextColumns(line) : inner;
    inner = TextColumns(shownTitle) > inner ? TextColumns(shownTitle) : inner;
    if (inner + 4 > width) inner = width > 5 ? width - 4 : 1;
    BoxLayout box{{}, {}, inner, 0};
    AddRows(shownTitle, inner, &box.title);
    for (const std::u16string& line : lines)
        AddRows(line, inner, &box.body);
    size_t frame = kFrameRows + box.title.size();
    box.visible = box.body.size();
    if (frame + box.visible > height) box.visible = height > frame + 1 ? height - frame : 1;
    return box;
}

std::vector<std::u16string> BoxRows(const BoxLayout& box, size_t top) {
    std::vector<std::u16string> rows;
    rows.push_back(Border(u'\u250C', u'\u2510', box.inner));
    for (const std::u16string& line : box.title)
        rows.push_back(Row(line, box.inner));
    rows.push_back(Border(u'\u251C', u'\u2524', box.inner));
    for (size_t i = top; i < top + box.visible && i < box.body.size(); ++i)
        rows.push_back(Row(box.body[i], box.inner));
    bool scrolls = box.visible < box.body.size();
    rows.push_back(Row(scrolls ? ScrollNote(box, top) : u"", box.inner));
    size_t buttonColumns = TextColumns(kButton);
    size_t left = box.inner > buttonColumns ? (box.inner - buttonColumns) / 2 : 0;
    rows.push_back(Row(std::u16string(left, u' ') + kButton, box.inner));
    rows.push_back(Border(u'\u2514', u'\u2518', box.inner));
    return rows;
}

BoxAnswer BoxKey(const BoxLayout& box, const DecodedInput& item, size_t* top) {
    if (item.kind != InputKind::kKey) return BoxAnswer::kStay;
    if (IsCtrlC(item)) return BoxAnswer::kLeave;
    if (item.key == kKeyEnter || item.key == kKeyEsc) return BoxAnswer::kClose;
    size_t last = box.body.size() - box.visible;
    size_t page = box.visible;
    if (item.key == kKeyUp || item.key == kKeyPgUp) {
        size_t step = item.key == kKeyUp ? 1 : page;
        *top = *top > step ? *top - step : 0;
    } else if (item.key == kKeyDown || item.key == kKeyPgDn) {
        size_t step = item.key == kKeyDown ? 1 : page;
        *top = *top + step < last ? *top + step : last;
    } else if (item.key == kKeyHome) {
        *top = 0;
    } else if (item.key == kKeyEnd) {
        *top = last;
    }
    return BoxAnswer::kStay;
}

void ShowHelpBox(const HelpBoxTerminal& terminal, const std::u16string& text,
                 const std::u16string& title) {
    Screen& screen = *terminal.screen;
    screen.PageOutput(false); // the box fits the terminal and is redrawn in place
    BoxLayout box = LayOutBox(text, title, screen.Size().columns, screen.Size().rows);
    size_t top = 0;
    Draw(screen, box, top, false);
    for (;;) {
        InputEvent event = ReaderAwait(terminal.keys);
        if (event == InputEvent::kEnded || event == InputEvent::kInvalid) return;
        if (event == InputEvent::kChanged) {
            // The terminal rewrapped the box's rows: it is drawn anew on a clear screen.
            terminal.resized();
            box = LayOutBox(text, title, screen.Size().columns, screen.Size().rows);
            top = top + box.visible < box.body.size() ? top : box.body.size() - box.visible;
            screen.ClearScreen();
            Draw(screen, box, top, false);
            continue;
        }
        if (PasteComes(terminal.keys)) return; // the box closes and leaves the paste to the line
        DecodedInput item{};
        ReadNext(terminal.keys, &item, false);
        size_t before = top;
        BoxAnswer answer = BoxKey(box, item, &top);
        if (answer == BoxAnswer::kLeave) terminal.leave();
        if (answer != BoxAnswer::kStay) return;
        if (top != before) Draw(screen, box, top, true);
    }
}

std::optional<More> MoreKey(const DecodedInput& item) {
    bool text = item.kind == InputKind::kText;
    bool key = item.kind == InputKind::kKey && item.modifiers == 0;
    if ((text && item.text == U' ') || (key && item.key == kKeyPgDn)) return More::kPage;
    if (key && (item.key == kKeyEnter || item.key == kKeyDown)) return More::kLine;
    if ((text && (item.text == U'q' || item.text == U'Q')) || (key && item.key == kKeyEsc) ||
        IsCtrlC(item))
        return More::kStop;
    return std::nullopt;
}

More WaitForMore(const HelpBoxTerminal& terminal) {
    bool typedAhead = ReaderReady(terminal.keys);
    for (;;) {
        InputEvent event = ReaderAwait(terminal.keys);
        if (event == InputEvent::kEnded || event == InputEvent::kInvalid) return More::kPage;
        if (event == InputEvent::kChanged) {
            terminal.resized();
            continue;
        }
        if (ForTheLine(terminal.keys, typedAhead)) return More::kRest;
        typedAhead = false;
        DecodedInput item{};
        ReadNext(terminal.keys, &item, false);
        if (IsCtrlC(item)) terminal.leave();
        if (std::optional<More> answer = MoreKey(item)) return *answer;
    }
}
