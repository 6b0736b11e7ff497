// The seven host operations the plug-in imports, over the stand-in host's state.
#include <cstdarg>
#include <map>
#include <utility>

#include "host/host_control.h"
#include "plugin/host.h"
#include "text/wtext.h"

namespace {

// Room for any text the plug-in prints: none is longer than a line.
constexpr size_t kFormatCapacity = 2 * kLineBufferSize;

std::map<std::u16string, std::u16string> variables;
std::u16string capturedStdout;
std::u16string capturedStderr;
bool recording = true;
std::function<void(int stream, const char16_t* text, size_t length)> outputHook;
int32_t cursorRow = 0;
std::vector<const char16_t*> clearedAt;
std::vector<std::u16string> putsCalls;
std::vector<int> expandFlags;
char16_t formatBuffer[kFormatCapacity];

void SetDefaultVariables() {
    variables.clear();
    variables[u"_4ver"] = u"23";
    variables[u"_transient"] = u"0";
    variables[u"_pipe"] = u"0";
    variables[u"_batch"] = u"0";
}

void Write(int stream, const char16_t* text, size_t length) {
    if (stream == 0) return;
    if (recording) (stream == 2 ? capturedStderr : capturedStdout).append(text, length);
    if (outputHook) outputHook(stream, text, length);
}

// Formats into the shared buffer and writes the text to stream; returns its length.
int WriteFormatted(int stream, const char16_t* format, va_list args) {
    size_t n = FormatTextV(formatBuffer, kFormatCapacity, format, args);
    Write(stream, formatBuffer, n);
    return static_cast<int>(n);
}

bool IsNameChar(char16_t ch) {
    return (ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z') || (ch >= u'0' && ch <= u'9') ||
           ch == u'_' || ch == u'$';
}

// Expands %[name], %name% and %_name (internal variables end at the first non-name character).
// Unknown %[name] expands to nothing; other unknown references stay as they are.
std::u16string Expand(const std::u16string& in) {
    std::u16string out;
    size_t i = 0;
    while (i < in.size()) {
        if (in[i] != u'%') {
            out += in[i++];
            continue;
        }
        if (i + 1 < in.size() && in[i + 1] == u'[') {
            size_t close = in.find(u']', i + 2);
            if (close != std::u16string::npos) {
                const std::u16string* value = HostVariable(in.substr(i + 2, close - i - 2));
                if (value != nullptr) out += *value;
                i = close + 1;
                continue;
            }
        }
        size_t end = i + 1;
        while (end < in.size() && IsNameChar(in[end]))
            ++end;
        // %_? is the result of the last internal command.
        if (end == i + 2 && in[i + 1] == u'_' && end < in.size() && in[end] == u'?') ++end;
        std::u16string name = in.substr(i + 1, end - i - 1);
        const std::u16string* value = name.empty() ? nullptr : HostVariable(name);
        if (value != nullptr && name[0] == u'_') {
            out += *value;
            i = end;
        } else if (value != nullptr && end < in.size() && in[end] == u'%') {
            out += *value;
            i = end + 1;
        } else {
            out += in[i++];
        }
    }
    return out;
}

} // namespace

void HostReset() {
    SetDefaultVariables();
    capturedStdout.clear();
    capturedStderr.clear();
    recording = true;
    outputHook = nullptr;
    cursorRow = 0;
    clearedAt.clear();
    putsCalls.clear();
    expandFlags.clear();
}

void HostSetVariable(const std::u16string& name, const std::u16string& value) {
    if (variables.empty()) SetDefaultVariables();
    variables[name] = value;
}

void HostUnsetVariable(const std::u16string& name) {
    if (variables.empty()) SetDefaultVariables();
    variables.erase(name);
}

const std::u16string* HostVariable(const std::u16string& name) {
    if (variables.empty()) SetDefaultVariables();
    auto it = variables.find(name);
    return it == variables.end() ? nullptr : &it->second;
}

const std::u16string& HostStdout() {
    return capturedStdout;
}
const std::u16string& HostStderr() {
    return capturedStderr;
}
void HostClearOutput() {
    capturedStdout.clear();
    capturedStderr.clear();
    putsCalls.clear();
}
void HostSetOutputHook(std::function<void(int stream, const char16_t* text, size_t length)> hook) {
    outputHook = std::move(hook);
}
void HostSetRecording(bool on) {
    recording = on;
}
void HostSetCursorRow(int32_t row) {
    cursorRow = row;
}
const std::vector<const char16_t*>& HostClearedAt() {
    return clearedAt;
}
const std::vector<std::u16string>& HostPutsCalls() {
    return putsCalls;
}
const std::vector<int>& HostExpandFlags() {
    return expandFlags;
}

extern "C" {

int Printf(const char16_t* format, ...) {
    va_list args;
    va_start(args, format);
    int n = WriteFormatted(1, format, args);
    va_end(args);
    return n;
}

int Qprintf(void* handle, const char16_t* format, ...) {
    va_list args;
    va_start(args, format);
    int n = WriteFormatted(HostStreamForHandle(handle), format, args);
    va_end(args);
    return n;
}

int QPuts(const char16_t* text) {
    size_t n = TextLength(text);
    if (recording) putsCalls.emplace_back(text, n);
    Write(1, text, n);
    return 0;
}

int CrLf() {
    Write(1, u"\r\n", 2);
    return 0;
}

int ExpandVariables(char16_t* buffer, int flag) {
    if (recording) expandFlags.push_back(flag);
    // The host is told no size: it reads and writes no more than the smallest buffer the plug-in
    // passes.
    std::u16string in(buffer, TextLengthBounded(buffer, kExpandBufferSize - 1));
    CopyText(buffer, kExpandBufferSize, Expand(in).c_str());
    return 0;
}

int GetAbsCursorPosition(int32_t* row, int32_t* column) {
    *row = cursorRow;
    *column = 0;
    return 0;
}

void ClearEditLine(char16_t* cursor) {
    if (recording) clearedAt.push_back(cursor);
}
}
