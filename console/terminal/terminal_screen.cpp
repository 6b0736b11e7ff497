// The terminal screen. Every move is relative to the line's first row, so nothing depends on
// where on the terminal the line stands.
#include "console/terminal/terminal_screen.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "console/terminal/layout.h"
#include "console/terminal/visible_text.h"
#include "standins/utf8.h"

namespace {

constexpr char kClearBelow[] = "\x1b[J";
constexpr char kClearScreen[] = "\x1b[H\x1b[2J";
constexpr char kMoreNote[] = "-- More: Space next page, Enter next line, q stop --";

TerminalSize AtLeastOneColumn(TerminalSize size) {
    return {size.rows, size.columns < 1 ? 1 : size.columns};
}

// Data as the terminal shows it. Each write is whole: a carriage return at its end shows at once,
// as the screen's own drawing may come next.
std::u16string Visible(const char16_t* text, size_t length) {
    VisibleStream stream{ShownOn::kTerminal};
    std::string bytes = ToUtf8(text, length);
    std::string shown = VisibleText(&stream, bytes.data(), bytes.size());
    return FromUtf8(shown + VisibleEnd(&stream));
}

class Terminal : public Screen {
  public:
    Terminal(ByteSink terminal, ByteSink out, ByteSink err, TerminalSize size,
             std::function<More()> more)
        : terminal_(std::move(terminal)), host_{std::move(out), std::move(err)},
          size_(AtLeastOneColumn(size)), more_(std::move(more)) {}

    TerminalSize Size() const override { return size_; }
    void Resize(TerminalSize size) override {
        size_ = AtLeastOneColumn(size);
        if (lineDrawn_) cursor_ = Rewrapped(drawnRows_, cursor_, size_.columns);
    }
    void PageOutput(bool on) override {
        paging_ = on && more_ != nullptr;
        stopped_ = false;
        pageRows_ = 0;
        column_ = 0;
    }
    void Print(const std::u16string& text) override { Show(Visible(text.data(), text.size())); }
    // Output that goes to a file or a pipe instead of the terminal is passed on as it was written.
    void HostOutput(int stream, const char16_t* text, size_t length) override {
        const ByteSink& host = host_[stream == 2 ? 1 : 0];
        if (host == nullptr) return Show(Visible(text, length));
        std::string bytes = ToUtf8(text, length);
        host(bytes.data(), bytes.size());
    }
    void Draw(const std::u16string& drawing) override { Write(ToUtf8(drawing)); }
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
    void Interrupted(const ShownLine& shown) override {
        GoToLineEnd(shown);
        Write("^C\r\n");
        lineDrawn_ = false;
    }

  private:
    void Write(const std::string& bytes) {
        if (!bytes.empty()) terminal_(bytes.data(), bytes.size());
    }

    // Writes text; while paging, it counts the rows the text fills and stops before a character
    // would go on the terminal's last row until the user goes on.
    void Show(const std::u16string& text) {
        size_t from = 0;
        for (size_t i = 0, units = 1; paging_ && !stopped_ && i < text.size(); i += units) {
            char32_t ch = CharacterAt(text.data(), text.size(), i, &units);
            if (ch == U'\r') column_ = 0;
            if (ch < U' ' && ch != U'\n' && ch != U'\t') continue;
            size_t columns = ch < U' ' ? 0 : CellWidth(ch);
            if (column_ + columns > size_.columns) {
                ++pageRows_; // the terminal wraps the row before this character
                column_ = 0;
            }
            if (size_.rows > 1 && pageRows_ + 1 >= size_.rows) {
                Write(ToUtf8(text.substr(from, i - from)));
                from = i;
                AskMore();
            }
            if (ch == U'\n') {
                ++pageRows_;
                column_ = 0;
            } else if (ch == U'\t') { // to the next tab stop, never past the last column
                column_ = std::max(column_, std::min(NextTabStop(column_), size_.columns - 1));
            } else {
                column_ += columns;
            }
        }
        if (!stopped_) Write(ToUtf8(text.substr(from)));
    }

    // The note on the last row until the user says how to go on; it is gone afterwards.
    void AskMore() {
        Write(std::string(kMoreNote).substr(0, size_.columns - 1));
        More answer = more_();
        Write("\r\x1b[K");
        stopped_ = answer == More::kStop;
        paging_ = answer != More::kRest;
        pageRows_ = answer == More::kPage || size_.rows < 2 ? 0 : size_.rows - 2;
    }

    ByteSink terminal_;
    ByteSink host_[2]; // the host's standard output and error
    TerminalSize size_;
    bool lineDrawn_ = false;        // the line is on the screen from its start
    LinePlace cursor_{0, 0};        // the terminal's cursor, relative to the line's start
    std::vector<size_t> drawnRows_; // the columns of each row of the line as last drawn
    std::function<More()> more_;    // how paged output goes on after a full page
    bool paging_ = false;
    bool stopped_ = false; // the user stopped the paged output: the rest is dropped
    size_t pageRows_ = 0;  // rows the paged output filled since the page began
    size_t column_ = 0;    // where on its row the paged output stands
};

} // namespace

std::unique_ptr<Screen> MakeTerminalScreen(ByteSink terminal, ByteSink out, ByteSink err,
                                           TerminalSize size, std::function<More()> more) {
    return std::make_unique<Terminal>(std::move(terminal), std::move(out), std::move(err), size,
                                      std::move(more));
}
