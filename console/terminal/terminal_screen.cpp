// The terminal screen. Every move is relative to the line's first row, so nothing depends on
// where on the terminal the line stands.
#include "console/terminal/terminal_screen.h"

#include <utility>
#include <vector>

#include "console/terminal/layout.h"
#include "standins/utf8.h"

namespace {

constexpr char kClearBelow[] = "\x1b[J";
constexpr char kClearScreen[] = "\x1b[H\x1b[2J";

TerminalSize AtLeastOneColumn(TerminalSize size) {
    return {size.rows, size.columns < 1 ? 1 : size.columns};
}

class Terminal : public Screen {
  public:
    Terminal(ByteSink terminal, ByteSink out, ByteSink err, TerminalSize size)
        : terminal_(std::move(terminal)), host_{std::move(out), std::move(err)},
          size_(AtLeastOneColumn(size)) {}

    TerminalSize Size() const override { return size_; }
    void Resize(TerminalSize size) override {
        size_ = AtLeastOneColumn(size);
        if (lineDrawn_) cursor_ = Rewrapped(drawnRows_, cursor_, size_.columns);
    }
    void Print(const std::u16string& text) override { Write(ToUtf8(text)); }
    void HostOutput(int stream, const char16_t* text, size_t length) override {
        std::string bytes = ToUtf8(text, length);
        host_[stream == 2 ? 1 : 0](bytes.data(), bytes.size());
    }
    void SideOutput(const std::u16string&) override {}
    void DrawLine(const ShownLine& shown) override {
        std::string out = MoveBetween(cursor_, {0, 0}) + kClearBelow;
        out += ::DrawLine(shown.prompt, shown.line, size_.columns, &cursor_);
        Write(out);
        drawnRows_ = RowWidths(shown.prompt, shown.line, size_.columns);
        lineDrawn_ = true;
    }
    void GoToLineEnd(const ShownLine& shown) override {
        if (!lineDrawn_) return;
        LinePlace end = EndOf(shown.prompt, shown.line, size_.columns);
        Write(MoveBetween(cursor_, end));
        cursor_ = end;
    }
    void LeaveLine(const ShownLine& shown) override {
        if (!lineDrawn_) return;
        GoToLineEnd(shown);
        if (cursor_.column != 0 || cursor_.row == 0) Write("\r\n");
        StartLine();
    }
    void StartLine() override {
        lineDrawn_ = false;
        cursor_ = {0, 0};
    }
    void ClearLineFrom(const ShownLine& shown, size_t index) override {
        if (!lineDrawn_) return;
        LinePlace place = PlaceOf(shown.prompt, shown.line, size_.columns, index);
        Write(MoveBetween(cursor_, place) + kClearBelow);
        cursor_ = place;
    }
    void ClearScreen() override {
        Write(kClearScreen);
        StartLine();
    }
    void Bell() override { Write("\a"); }
    void KeyBegins(const ConsoleLine&) override {}
    void KeyHandled(const char16_t*, const ConsoleLine*) override {}
    void Interrupted(const ShownLine& shown) override {
        GoToLineEnd(shown);
        Write("^C\r\n");
        lineDrawn_ = false;
    }

  private:
    void Write(const std::string& bytes) {
        if (!bytes.empty()) terminal_(bytes.data(), bytes.size());
    }

    ByteSink terminal_;
    ByteSink host_[2]; // the host's standard output and error
    TerminalSize size_;
    bool lineDrawn_ = false;        // the line is on the screen from its start
    LinePlace cursor_{0, 0};        // the terminal's cursor, relative to the line's start
    std::vector<size_t> drawnRows_; // the columns of each row of the line as last drawn
};

} // namespace

std::unique_ptr<Screen> MakeTerminalScreen(ByteSink terminal, ByteSink out, ByteSink err,
                                           TerminalSize size) {
    return std::make_unique<Terminal>(std::move(terminal), std::move(out), std::move(err), size);
}
