// Control characters of data made visible, for the terminal and for transcripts alike.
#include "console/terminal/visible_text.h"

#include "standins/utf8.h"

namespace {

// The UTF-8 of a C1 control starts at bytes[i].
bool IsC1(const char* bytes, size_t length, size_t i) {
    return static_cast<unsigned char>(bytes[i]) == 0xC2 && i + 1 < length &&
           static_cast<unsigned char>(bytes[i + 1]) >= 0x80 &&
           static_cast<unsigned char>(bytes[i + 1]) <= 0x9F;
}

} // namespace

std::u16string VisibleControl(char32_t ch) {
    if (ch >= 0x80) return u"\uFFFD";
    return {u'^', static_cast<char16_t>(ch ^ 0x40)};
}

std::u16string VisibleLine(const std::u16string& text) {
    std::u16string out;
    for (char16_t ch : text)
        out += IsControl(ch) ? VisibleControl(ch) : std::u16string(1, ch);
    return out;
}

std::string VisibleText(VisibleStream* stream, const char* bytes, size_t length) {
    bool transcript = stream->on == ShownOn::kTranscript;
    std::string out;
    for (size_t i = 0; i < length; ++i) {
        auto b = static_cast<unsigned char>(bytes[i]);
        if (stream->pendingReturn) {
            stream->pendingReturn = false;
            if (b == '\n') {
                out += transcript ? "\n" : "\r\n";
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
        } else if (b == '\t' && !transcript) {
            out += '\t';
        } else if (b == '\t') {
            size_t blanks = NextTabStop(stream->column) - stream->column;
            out.append(blanks, ' ');
            stream->column += blanks;
        } else if (b < 0x80 && IsControl(b)) {
            out += ToUtf8(VisibleControl(b));
            stream->column += 2;
        } else if (IsC1(bytes, length, i)) { // C2 80 to C2 9F: U+0080 to U+009F
            out += ToUtf8(VisibleControl(static_cast<unsigned char>(bytes[++i])));
            ++stream->column;
        } else {
            out += static_cast<char>(b);
            if ((b & 0xC0) != 0x80) ++stream->column; // one column per character
        }
    }
    return out;
}

std::string VisibleEnd(VisibleStream* stream) {
    if (!stream->pendingReturn) return "";
    stream->pendingReturn = false;
    return "^M";
}
