// The transcript screen: every write filtered, every key recorded as a line.
#include "console/terminal/transcript_screen.h"

#include <utility>

#include "standins/utf8.h"

namespace {

constexpr size_t kTabWidth = 8;

} // namespace

std::string TranscriptText(TranscriptStream* stream, const char* bytes, size_t length) {
    std::string out;
    for (size_t i = 0; i < length; ++i) {
        auto b = static_cast<unsigned char>(bytes[i]);
        if (stream->pendingReturn) {
            stream->pendingReturn = false;
            if (b == '\n') {
                out += '\n';
                stream->column = 0;
                continue;
            }
            out += "^M";
            stream->column += 2;
        }
        if (b == '\n') {
            out += '\n';
            stream->column = 0;
        } else if (b == '\r') {
            stream->pendingReturn = true;
        } else if (b == '\t') {
            size_t blanks = kTabWidth - stream->column % kTabWidth;
            out.append(blanks, ' ');
            stream->column += blanks;
        } else if (b < 0x20 || b == 0x7F) {
            out += '^';
            out += static_cast<char>(b ^ 0x40);
            stream->column += 2;
        } else if (b == 0xC2 && i + 1 < length &&
                   static_cast<unsigned char>(bytes[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(bytes[i + 1]) <= 0x9F) {
            AppendUtf8(&out, 0xFFFD); // a C1 control
            ++i;
            ++stream->column;
        } else {
            out += static_cast<char>(b);
            if ((b & 0xC0) != 0x80) ++stream->column; // one column per character
        }
    }
    return out;
}

std::u16string TranscriptLine(const ConsoleLine& line) {
    std::u16string text(line.text, line.length);
    return text.insert(line.cursor, u"|");
}

TranscriptFilter::TranscriptFilter(ByteSink to) : to_(std::move(to)) {}

void TranscriptFilter::Write(const char* bytes, size_t length) {
    std::string text = TranscriptText(&stream_, bytes, length);
    if (!text.empty()) to_(text.data(), text.size());
}

void TranscriptFilter::End() {
    if (!stream_.pendingReturn) return;
    stream_.pendingReturn = false;
    to_("^M", 2);
}

namespace {

class Transcript : public Screen {
  public:
    Transcript(ByteSink out, ByteSink err) : out_(std::move(out)), err_(std::move(err)) {}

    TerminalSize Size() const override { return {24, 80}; }
    void Resize(TerminalSize) override {}
    void Print(const std::u16string& text) override { Write(out_, ToUtf8(text)); }
    void HostOutput(int stream, const char16_t* text, size_t length) override {
        Write(stream == 2 ? err_ : out_, ToUtf8(text, length));
    }
    void SideOutput(const std::u16string& text) override { Print(text); }
    void DrawLine(const ShownLine&) override {}
    void GoToLineEnd(const ShownLine&) override {}
    void LeaveLine(const ShownLine&) override {}
    void StartLine() override {}
    void ClearLineFrom(const ShownLine&, size_t) override {}
    void ClearScreen() override {}
    void Bell() override { Print(u"(bell: the line is full)\n"); }
    void KeyBegins(const ConsoleLine& line) override { before_ = TranscriptLine(line); }
    void KeyHandled(const char16_t* keyName, const ConsoleLine* after) override {
        Print(u"[" + before_ + u"] " + keyName +
              (after != nullptr ? u" -> [" + TranscriptLine(*after) + u"]\n" : u"\n"));
    }
    void Interrupted(const ShownLine&) override { Print(u"[" + before_ + u"] Ctrl-C: leaving\n"); }

  private:
    static void Write(const ByteSink& sink, const std::string& bytes) {
        if (!bytes.empty()) sink(bytes.data(), bytes.size());
    }

    ByteSink out_;
    ByteSink err_;
    std::u16string before_; // the line before the key being handled
};

} // namespace

std::unique_ptr<Screen> MakeTranscriptScreen(ByteSink out, ByteSink err) {
    return std::make_unique<Transcript>(std::move(out), std::move(err));
}
