// The scenario commands for bad input, the same for both builds: null pointers, cursors outside
// the line, lines and texts at and past their bounds, and registry values of every type and size.
#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "standins/utf8.h"
#include "tests/scenarios/runner/runner.h"
#include "tests/scenarios/runner/transcript.h"

namespace {

using Words = std::vector<ScenarioWord>;

// A line buffer of the host's size with room around it, so that a cursor just before or past the
// buffer still points into memory the runner owns.
constexpr size_t kMargin = 16;
char16_t lineArea[kMargin + kLineBufferSize + kMargin];
char16_t* const line = lineArea + kMargin;

std::string Number(long long value) {
    return std::to_string(value);
}

bool Count(const ScenarioWord& word, long long low, long long high, long long* number) {
    return ParseScenarioNumber(word.text, number) && *number >= low && *number <= high;
}

// Fills the line with text, and zeros after it while there is room.
void SetLine(const std::u16string& text) {
    std::fill(std::begin(lineArea), std::end(lineArea), u'\0');
    std::copy(text.begin(), text.begin() + std::min(text.size(), kLineBufferSize), line);
}

KeystrokeRecord Record(int32_t code, long long cursor) {
    KeystrokeRecord record{};
    record.keyCode = code;
    record.startRow = record.cursorRow = 7;
    record.startColumn = 2;
    record.cursorColumn = 2 + static_cast<int32_t>(cursor);
    record.lineStart = line;
    record.cursorPos = line + cursor;
    return record;
}

// Repeats unit count times.
std::u16string Repeated(const std::u16string& unit, long long count) {
    std::u16string text;
    text.reserve(unit.size() * static_cast<size_t>(count));
    for (long long n = 0; n < count; ++n)
        text += unit;
    return text;
}

} // namespace

// null WHAT [CODE]: one export called with a null pointer where the host passes one: record (key
// without a record), line or cursor (a record without it, with CODE), name (code 0 without a key
// name), torvane, usage-name, usage-out, help.
bool CommandNull(const Words& words) {
    const PluginExports* plugin = RunnerPlugin();
    if (plugin == nullptr || words.size() < 2) return RunnerFail("usage: null WHAT [CODE]");
    const std::u16string& what = words[1].text;
    long long code = 0;
    if (words.size() == 3 && !Count(words[2], -0x80000000LL, 0x7FFFFFFF, &code))
        return RunnerFail("null: bad code");
    if (what == u"line" || what == u"cursor" || what == u"name") {
        SetLine(u"copy a b");
        KeystrokeRecord record = Record(static_cast<int32_t>(code), 8);
        if (what == u"line") record.lineStart = nullptr;
        if (what == u"cursor") record.cursorPos = nullptr;
        PressKey(&record, line);
        return true;
    }
    int result = 0;
    char16_t out[kUsageBufferSize] = {};
    if (what == u"record")
        result = plugin->key(nullptr);
    else if (what == u"torvane")
        result = plugin->torvane(nullptr);
    else if (what == u"usage-name")
        result = plugin->usage(nullptr, out);
    else if (what == u"usage-out")
        result = plugin->usage(u"torvane", nullptr);
    else if (what == u"help")
        result = plugin->help(nullptr);
    else
        return RunnerFail("null: unknown " + ToUtf8(what));
    TranscriptLine(
        "null " + ToUtf8(what) + " " + Number(result) +
        (out[0] != 0 ? " out " + ShownText(out, std::char_traits<char16_t>::length(out)) : ""));
    RunnerReportHostOutput();
    return true;
}

// key-at CODE "LINE" OFFSET: a keystroke whose cursor is OFFSET characters from the line's start,
// which may be before the line, past its terminator or past the buffer (by up to 16).
bool CommandKeyAt(const Words& words) {
    long long code = 0;
    long long offset = 0;
    const long long last = static_cast<long long>(kLineBufferSize + kMargin) - 1;
    if (RunnerPlugin() == nullptr || words.size() != 4 || !words[2].quoted ||
        !Count(words[1], -0x80000000LL, 0x7FFFFFFF, &code) ||
        !Count(words[3], -static_cast<long long>(kMargin), last, &offset))
        return RunnerFail("usage: key-at CODE \"LINE\" OFFSET");
    SetLine(words[2].text);
    KeystrokeRecord record = Record(static_cast<int32_t>(code), offset);
    PressKey(&record, line);
    return true;
}

// key-long CODE "PREFIX" "UNIT" COUNT [OFFSET]: a keystroke on PREFIX and COUNT times UNIT, cut
// to the buffer's 65536 characters; a line that fills them has no terminator. The cursor is at
// OFFSET, else at the end of the line (the last cell when the line fills the buffer).
bool CommandKeyLong(const Words& words) {
    long long code = 0;
    long long count = 0;
    long long offset = 0;
    if (RunnerPlugin() == nullptr || (words.size() != 5 && words.size() != 6) || !words[2].quoted ||
        !words[3].quoted || !Count(words[1], -0x80000000LL, 0x7FFFFFFF, &code) ||
        !Count(words[4], 0, kLineBufferSize, &count) ||
        (words.size() == 6 && !Count(words[5], 0, kLineBufferSize - 1, &offset)))
        return RunnerFail("usage: key-long CODE \"PREFIX\" \"UNIT\" COUNT [OFFSET]");
    std::u16string text = words[2].text + Repeated(words[3].text, count);
    SetLine(text);
    if (words.size() == 5)
        offset = static_cast<long long>(std::min(text.size(), kLineBufferSize - 1));
    KeystrokeRecord record = Record(static_cast<int32_t>(code), offset);
    PressKey(&record, line);
    return true;
}

// key-name-long "UNIT" COUNT: key code 0 on the line "x" with a key name of COUNT times UNIT.
bool CommandKeyNameLong(const Words& words) {
    long long count = 0;
    if (RunnerPlugin() == nullptr || words.size() != 3 || !words[1].quoted ||
        !Count(words[2], 0, 100000, &count))
        return RunnerFail("usage: key-name-long \"UNIT\" COUNT");
    std::u16string name = Repeated(words[1].text, count);
    SetLine(u"x");
    KeystrokeRecord record = Record(0, 1);
    record.keyName = name.data();
    PressKey(&record, line);
    return true;
}

// torvane-long "PREFIX" "UNIT" COUNT "SUFFIX": the command with PREFIX, COUNT times UNIT, SUFFIX.
bool CommandTorvaneLong(const Words& words) {
    const PluginExports* plugin = RunnerPlugin();
    long long count = 0;
    if (plugin == nullptr || words.size() != 5 || !words[1].quoted || !words[2].quoted ||
        !Count(words[3], 0, 1000000, &count) || !words[4].quoted)
        return RunnerFail("usage: torvane-long \"PREFIX\" \"UNIT\" COUNT \"SUFFIX\"");
    std::u16string text = words[1].text + Repeated(words[2].text, count) + words[4].text;
    TranscriptLine("torvane " + Number(plugin->torvane(text.c_str())) + " length " +
                   Number(static_cast<long long>(text.size())));
    RunnerReportHostOutput();
    return true;
}
