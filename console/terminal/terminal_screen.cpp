// The terminal screen. Every move is relative to the line's first row, so nothing depends on
// where on the terminal the line stands.
#include "console/terminal/terminal_screen.h"

#include <utility>

#include "standins/utf8.h"

namespace {

constexpr char kClearBelow[] = "\x1b[J";
constexpr char kClearScreen[] = "\x1b[H\x1b[2J";

TerminalSize AtLeastOneColumn(TerminalSize size) {
    return {size.rows, size.columns < 1 ? 1 : size.columns};
}

} // namespace

TerminalScreen::TerminalScreen(ByteSink terminal, ByteSink out, ByteSink err, TerminalSize size)
    : terminal_(std::move(terminal)), host_{std::move(out), std::move(err)},
      size_(AtLeastOneColumn(size)) {}

void TerminalScreen::Write(const std::string& bytes) {
    if (!bytes.empty()) terminal_(bytes.data(), bytes.size());
}

void TerminalScreen::Resize(TerminalSize size) {
    size_ = AtLeastOneColumn(size);
    if (lineDrawn_) cursor_ = Rewrapped(drawnRows_, cursor_, size_.columns);
}

void TerminalScreen::Print(const std::u16string& text) {
    Write(ToUtf8(text));
}

void TerminalScreen::HostOutput(int stream, const char16_t* text, size_t length) {
    std::string bytes = ToUtf8(text, length);
    host_[stream == 2 ? 1 : 0](bytes.data(), bytes.size());
}

void TerminalScreen::DrawLine(const ShownLine& shown) {
    std::string out = MoveBetween(cursor_, {0, 0}) + kClearBelow;
    out += ::DrawLine(shown.prompt, shown.line, size_.columns, &cursor_);
    Write(out);
    drawnRows_ = RowWidths(shown.prompt, shown.line, size_.columns);
    lineDrawn_ = true;
}

void TerminalScreen::GoToLineEnd(const ShownLine& shown) {
    if (!lineDrawn_) return;
    LinePlace end = EndOf(shown.prompt, shown.line, size_.columns);
    Write(MoveBetween(cursor_, end));
    cursor_ = end;
}

void TerminalScreen::LeaveLine(const ShownLine& shown) {
    if (!lineDrawn_) return;
    LinePlace end = EndOf(shown.prompt, shown.line, size_.columns);
    std::string out = MoveBetween(cursor_, end);
    if (end.column != 0 || end.row == 0) out += "\r\n";
    Write(out);
    StartLine();
}

void TerminalScreen::StartLine() {
    lineDrawn_ = false;
    cursor_ = {0, 0};
}

void TerminalScreen::ClearLineFrom(const ShownLine& shown, size_t index) {
    if (!lineDrawn_) return;
    LinePlace place = PlaceOf(shown.prompt, shown.line, size_.columns, index);
    Write(MoveBetween(cursor_, place) + kClearBelow);
    cursor_ = place;
}

void TerminalScreen::ClearScreen() {
    Write(kClearScreen);
    StartLine();
}

void TerminalScreen::Bell() {
    Write("\a");
}

void TerminalScreen::Interrupted(const ShownLine& shown) {
    GoToLineEnd(shown);
    Write("^C\r\n");
    lineDrawn_ = false;
}
