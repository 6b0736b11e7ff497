#include "tests/scenarios/runner/transcript.h"

#include <algorithm>

#include "plugin/version.h"
#include "standins/utf8.h"

namespace {

// Each placeholder and its text; the longer text first, so that the reverse finds it whole.
struct VersionPlaceholder {
    const char* placeholder;
    const char* text;
};
constexpr VersionPlaceholder kVersionPlaceholders[] = {
    {"{file-version}", TORVANE_FILE_VERSION_TEXT},
    {"{version}", TORVANE_VERSION_TEXT},
};

std::string ReplaceAll(std::string line, const std::string& from, const std::string& to) {
    for (size_t at = line.find(from); at != std::string::npos; at = line.find(from, at + to.size()))
        line.replace(at, from.size(), to);
    return line;
}

std::FILE* transcript = nullptr;
std::vector<std::string> transcriptLines;

int HexDigit(char16_t ch) {
    if (ch >= u'0' && ch <= u'9') return ch - u'0';
    if (ch >= u'a' && ch <= u'f') return ch - u'a' + 10;
    if (ch >= u'A' && ch <= u'F') return ch - u'A' + 10;
    return -1;
}

// Resolves the escape that starts at line[i] (the backslash); false when it is not one.
bool ReadEscape(const std::u16string& line, size_t* i, std::u16string* out) {
    if (*i + 1 >= line.size()) return false;
    char16_t ch = line[*i + 1];
    *i += 2;
    switch (ch) {
    case u'r':
        *out += u'\r';
        return true;
    case u'n':
        *out += u'\n';
        return true;
    case u't':
        *out += u'\t';
        return true;
    case u'\\':
    case u'"':
        *out += ch;
        return true;
    case u'u': {
        if (*i + 4 > line.size()) return false;
        unsigned value = 0;
        for (size_t k = 0; k < 4; ++k) {
            int digit = HexDigit(line[*i + k]);
            if (digit < 0) return false;
            value = value * 16 + static_cast<unsigned>(digit);
        }
        *i += 4;
        *out += static_cast<char16_t>(value);
        return true;
    }
    default:
        return false;
    }
}

} // namespace

bool SplitScenarioLine(const std::u16string& line, std::vector<ScenarioWord>* words,
                       std::string* reason) {
    words->clear();
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == u' ' || line[i] == u'\t') {
            ++i;
            continue;
        }
        ScenarioWord word{u"", line[i] == u'"'};
        if (!word.quoted) {
            while (i < line.size() && line[i] != u' ' && line[i] != u'\t')
                word.text += line[i++];
            words->push_back(word);
            continue;
        }
        ++i;
        bool closed = false;
        while (i < line.size()) {
            if (line[i] == u'"') {
                closed = true;
                ++i;
                break;
            }
            if (line[i] == u'\\') {
                if (!ReadEscape(line, &i, &word.text)) {
                    *reason = "bad escape";
                    return false;
                }
                continue;
            }
            word.text += line[i++];
        }
        if (!closed) {
            *reason = "unclosed quote";
            return false;
        }
        words->push_back(word);
    }
    return true;
}

bool ReadWholeFile(std::FILE* file, std::string* bytes) {
    char chunk[4096];
    size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes->append(chunk, n);
    return std::ferror(file) == 0;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::string QuoteText(const char16_t* text, size_t length) {
    std::string out = "\"";
    size_t plainStart = 0;
    auto flushPlain = [&](size_t end) {
        out += ToUtf8(text + plainStart, end - plainStart);
        plainStart = end + 1;
    };
    for (size_t i = 0; i < length; ++i) {
        char16_t ch = text[i];
        const char* escape = nullptr;
        char numeric[8];
        if (ch == u'\r')
            escape = "\\r";
        else if (ch == u'\n')
            escape = "\\n";
        else if (ch == u'\t')
            escape = "\\t";
        else if (ch == u'\\')
            escape = "\\\\";
        else if (ch == u'"')
            escape = "\\\"";
        else if (ch < 0x20 || ch == 0x7F) {
            std::snprintf(numeric, sizeof numeric, "\\u%04X", static_cast<unsigned>(ch));
            escape = numeric;
        }
        if (escape == nullptr) continue;
        flushPlain(i);
        out += escape;
    }
    if (plainStart < length) out += ToUtf8(text + plainStart, length - plainStart);
    return out + "\"";
}

std::string QuoteText(const std::u16string& text) {
    return QuoteText(text.data(), text.size());
}

bool ParseScenarioNumber(const std::u16string& text, long long* number) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && text[i] == u'-') {
        negative = true;
        ++i;
    }
    int base = 10;
    if (i + 1 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return false;
    long long value = 0;
    for (; i < text.size(); ++i) {
        int digit = HexDigit(text[i]);
        if (digit < 0 || digit >= base || value > 0xFFFFFFFFLL) return false;
        value = value * base + digit;
    }
    *number = negative ? -value : value;
    return true;
}

void StartTranscript(std::FILE* file) {
    transcript = file == nullptr ? stdout : file;
    transcriptLines.clear();
}

void TranscriptLine(const std::string& line) {
    transcriptLines.push_back(line);
    if (transcript == nullptr) return;
    std::fwrite(line.data(), 1, line.size(), transcript);
    std::fputc('\n', transcript);
    std::fflush(transcript);
}

const std::vector<std::string>& TranscriptLines() {
    return transcriptLines;
}

void CloseTranscript() {
    if (transcript != nullptr && transcript != stdout) std::fclose(transcript);
    transcript = nullptr;
}

std::string ExpandVersion(const std::string& line) {
    std::string out = line;
    for (const VersionPlaceholder& v : kVersionPlaceholders)
        out = ReplaceAll(out, v.placeholder, v.text);
    return out;
}

std::string PlaceholdVersion(const std::string& line) {
    std::string out = line;
    for (const VersionPlaceholder& v : kVersionPlaceholders)
        out = ReplaceAll(out, v.text, v.placeholder);
    return out;
}

ExpectedTranscript ExpectedFromScenario(const std::vector<std::string>& scenarioLines) {
    ExpectedTranscript expected;
    for (size_t i = 0; i < scenarioLines.size(); ++i) {
        const std::string& line = scenarioLines[i];
        if (line.empty() || line[0] == '#' ||
            line.find_first_not_of(" \t\r\v\f") == std::string::npos)
            continue;
        expected.lines.push_back(ExpandVersion(line));
        expected.fileLines.push_back(i + 1);
    }
    return expected;
}

namespace {

// One step of the edit script from the expected lines to the actual ones: ' ' kept, '-' only
// expected, '+' only actual, each with its text and the expected lines' position at that point.
struct EditStep {
    char kind;
    const std::string* text;
    size_t at;
};

std::vector<EditStep> EditScript(const std::vector<std::string>& want,
                                 const std::vector<std::string>& actual) {
    const size_t n = want.size();
    const size_t m = actual.size();

    // common[i][j]: the length of the longest common subsequence of want[i..] and actual[j..].
    std::vector<std::vector<size_t>> common(n + 1, std::vector<size_t>(m + 1, 0));
    for (size_t i = n; i-- > 0;)
        for (size_t j = m; j-- > 0;)
            common[i][j] = want[i] == actual[j] ? common[i + 1][j + 1] + 1
                                                : std::max(common[i + 1][j], common[i][j + 1]);

    std::vector<EditStep> steps;
    size_t i = 0;
    size_t j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && want[i] == actual[j]) {
            steps.push_back({' ', &want[i], i});
            ++i;
            ++j;
        } else if (i < n && (j == m || common[i + 1][j] >= common[i][j + 1])) {
            steps.push_back({'-', &want[i], i});
            ++i;
        } else {
            steps.push_back({'+', &actual[j], i});
            ++j;
        }
    }
    return steps;
}

} // namespace

std::string TranscriptDifferences(const ExpectedTranscript& expected,
                                  const std::vector<std::string>& actual) {
    const std::vector<std::string>& want = expected.lines;
    if (want == actual) return "";
    const std::vector<EditStep> steps = EditScript(want, actual);

    // Every change with up to two unchanged steps on either side; gaps start a new group.
    constexpr size_t kContext = 2;
    std::vector<bool> shown(steps.size(), false);
    for (size_t k = 0; k < steps.size(); ++k) {
        if (steps[k].kind == ' ') continue;
        size_t from = k > kContext ? k - kContext : 0;
        size_t to = std::min(steps.size(), k + kContext + 1);
        for (size_t s = from; s < to; ++s)
            shown[s] = true;
    }
    std::string out;
    for (size_t k = 0; k < steps.size(); ++k) {
        if (!shown[k]) continue;
        if (k == 0 || !shown[k - 1]) {
            size_t at = steps[k].at;
            size_t line = at < expected.fileLines.size()
                              ? expected.fileLines[at]
                              : (expected.fileLines.empty() ? 1 : expected.fileLines.back() + 1);
            out += "@@ scenario line " + std::to_string(line) + " @@\n";
        }
        out += steps[k].kind;
        out += *steps[k].text;
        out += '\n';
    }
    return out;
}

std::vector<std::string> UpdatedScenario(const std::vector<std::string>& scenarioLines,
                                         const std::vector<std::string>& actual) {
    const ExpectedTranscript expected = ExpectedFromScenario(scenarioLines);
    const size_t n = expected.lines.size();
    // kept[i]: expected line i still holds. after[i + 1]: the new lines that follow expected line
    // i; after[0] those before the first one.
    std::vector<bool> kept(n, false);
    std::vector<std::vector<std::string>> after(n + 1);
    for (const EditStep& step : EditScript(expected.lines, actual)) {
        if (step.kind == ' ') kept[step.at] = true;
        if (step.kind == '+') after[step.at].push_back(PlaceholdVersion(*step.text));
    }
    std::vector<std::string> out;
    size_t next = 0; // the next expected line
    for (size_t i = 0; i < scenarioLines.size(); ++i) {
        const bool isExpected = next < n && expected.fileLines[next] == i + 1;
        if (isExpected && next == 0) out.insert(out.end(), after[0].begin(), after[0].end());
        if (!isExpected) {
            out.push_back(scenarioLines[i]);
            continue;
        }
        if (kept[next]) out.push_back(scenarioLines[i]);
        ++next;
        out.insert(out.end(), after[next].begin(), after[next].end());
    }
    if (n == 0) out.insert(out.end(), after[0].begin(), after[0].end());
    return out;
}
