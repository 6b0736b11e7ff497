// The console's writes, turned into a transcript when there is no terminal.
#include "console/output.h"

#include <unistd.h>

#include "console/terminal.h"
#include "standins/utf8.h"

namespace {

constexpr size_t kTabWidth = 8;

struct Output {
    int fd = STDOUT_FILENO;
    bool transcript = false;
    TranscriptStream streams[2]; // standard output (and the console's own fd), standard error
};

Output output;

void WriteTo(int fd, TranscriptStream* stream, const char* bytes, size_t length) {
    if (!output.transcript) {
        WriteAll(fd, bytes, length);
        return;
    }
    std::string text = TranscriptText(stream, bytes, length);
    WriteAll(fd, text.data(), text.size());
}

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

void OutputBegin(int fd, bool transcript) {
    output = Output{};
    output.fd = fd;
    output.transcript = transcript;
}

void OutputWrite(const char* bytes, size_t length) {
    WriteTo(output.fd, &output.streams[0], bytes, length);
}

void OutputHostText(int stream, const char16_t* text, size_t length) {
    std::string bytes = ToUtf8(text, length);
    int fd = stream == 2 ? STDERR_FILENO : STDOUT_FILENO;
    WriteTo(fd, &output.streams[stream == 2 ? 1 : 0], bytes.data(), bytes.size());
}

void OutputEnd() {
    for (TranscriptStream& stream : output.streams) {
        if (!stream.pendingReturn) continue;
        stream.pendingReturn = false;
        WriteAll(&stream == &output.streams[0] ? output.fd : STDERR_FILENO, "^M", 2);
    }
}
