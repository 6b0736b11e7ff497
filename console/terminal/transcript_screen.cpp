// The transcript screen: every write filtered, every key recorded as a line.
#include "console/terminal/transcript_screen.h"

#include <utility>

#include "standins/utf8.h"

std::u16string TranscriptLine(const ConsoleLine& line) {
    std::u16string text(line.text, line.length);
    return text.insert(line.cursor, u"|");
}

TranscriptFilter::TranscriptFilter(ByteSink to) : to_(std::move(to)) {}

void TranscriptFilter::Write(const char* bytes, size_t length) {
    std::string text = VisibleText(&stream_, bytes, length);
    if (!text.empty()) to_(text.data(), text.size());
}

void TranscriptFilter::End() {
    std::string rest = VisibleEnd(&stream_);
    if (!rest.empty()) to_(rest.data(), rest.size());
}

namespace {

class Transcript : public Screen {
  public:
    Transcript(ByteSink out, ByteSink err) : out_(std::move(out)), err_(std::move(err)) {}

    TerminalSize Size() const override { return {24, 80}; }
    void Print(const std::u16string& text) override { Write(out_, ToUtf8(text)); }
    void HostOutput(int stream, const char16_t* text, size_t length) override {
        Write(stream == 2 ? err_ : out_, ToUtf8(text, length));
    }
    void Draw(const std::u16string& drawing) override { Print(drawing); }
    void SideOutput(const std::u16string& text) override { Print(text); }
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
