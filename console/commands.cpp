// The command lines the console runs on Enter. It is a stand-in for the host, not a shell: it
// knows the plug-in's command, help and usage, host variables, echo, cls and exit, and shows
// every other line as not run.
#include <cstdio>
#include <string>

#include "console/session.h"
#include "console/variables.h"
#include "console/wrap.h"
#include "standins/registry_file.h"
#include "standins/utf8.h"
#include "text/chars.h"

namespace {

bool IsSpaceOrTab(char16_t ch) {
    return ch == u' ' || ch == u'\t';
}

size_t SkipBlanks(const std::u16string& text, size_t i) {
    while (i < text.size() && IsSpaceOrTab(text[i]))
        ++i;
    return i;
}

// Text without the blanks at either end.
std::u16string Trimmed(const std::u16string& text) {
    size_t first = SkipBlanks(text, 0);
    size_t last = text.size();
    while (last > first && IsSpaceOrTab(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

void SetResult(int result) {
    std::string digits = std::to_string(result);
    Console.plugin->setVariable(kResultVariable, std::u16string(digits.begin(), digits.end()));
}

// The plug-in's command; when it could not save, the console names the file and the cause.
void Torvane(const std::u16string& arguments) {
    StandInRegistryTakeFileError(); // an older failure is not this command's
    SetResult(Console.plugin->command(arguments.c_str()));
    std::string error = StandInRegistryTakeFileError();
    for (char& ch : error) // one line, whatever the file's name holds
        if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F) ch = '?';
    if (!error.empty()) std::fprintf(stderr, "torvane-console: %s\n", error.c_str());
}

// The built-in commands as help lists them.
struct BuiltIn {
    const char16_t* form;
    const char16_t* meaning;
};

constexpr BuiltIn kBuiltIns[] = {
    {u"torvane [options]", u"the plug-in's command (torvane /? for its help)"},
    {u"help torvane", u"the plug-in's help, in a box closed with Enter or Esc"},
    {u"usage torvane", u"the plug-in's usage text"},
    {u"set NAME=VALUE", u"set a host variable, kept for the next start (set NAME= removes it, "
                        u"set NAME shows it)"},
    {u"echo TEXT", u"show TEXT with variables expanded (%_? is the result of the last built-in "
                   u"command)"},
    {u"cls", u"clear the screen"},
    {u"exit", u"leave (so does Ctrl-C)"},
};

// Columns before a command's meaning; on a narrow terminal the meaning starts on a row of its own.
constexpr size_t kFormColumns = 22;
constexpr size_t kNarrowIndent = 4;
constexpr size_t kFewestMeaningColumns = 30;

void ShowBuiltIns() {
    std::u16string text = u"Built-in commands of the Torvane console:\n";
    bool narrow = Console.width < kFormColumns + kFewestMeaningColumns;
    for (const BuiltIn& b : kBuiltIns) {
        std::u16string form = u"  " + std::u16string(b.form);
        if (narrow) {
            text += form + u"\n" +
                    WrapText(std::u16string(kNarrowIndent, u' ') + b.meaning, Console.width,
                             kNarrowIndent) +
                    u"\n";
        } else {
            form.resize(kFormColumns, u' ');
            text += WrapText(form + b.meaning, Console.width, kFormColumns) + u"\n";
        }
    }
    SessionPrint(text);
    SessionSay(u"Other lines are shown as not run.\n");
}

void ShowHelp(const std::u16string& name) {
    if (name.empty()) {
        ShowBuiltIns();
        SetResult(0);
        return;
    }
    int shown = Console.plugin->help(name.c_str());
    if (shown == 0) SessionSay(u"No help for " + name + u".\n");
    SetResult(shown != 0 ? 0 : 1);
}

void ShowUsage(const std::u16string& name) {
    char16_t out[1024] = {};
    int found = Console.plugin->usage(name.c_str(), out);
    out[1023] = 0;
    if (found != 0)
        SessionPrint(out);
    else
        SessionSay(u"No usage text for " + name + u".\n");
    SetResult(found != 0 ? 0 : 1);
}

// The value echo %NAME% shows; false when the variable is not set.
bool ShownValue(const std::u16string& name, std::u16string* value) {
    std::u16string reference = u"%" + name + u"%";
    *value = Console.plugin->expand(u"%[" + name + u"]");
    return !value->empty() || Console.plugin->expand(reference) != reference;
}

void Set(const std::u16string& arguments) {
    size_t equals = arguments.find(u'=');
    std::u16string name = Trimmed(arguments.substr(0, equals));
    if (name.empty()) {
        SessionSay(u"Usage: set NAME=VALUE (set NAME= removes the variable)\n");
        SetResult(1);
        return;
    }
    if (equals == std::u16string::npos) {
        std::u16string value;
        bool set = ShownValue(name, &value);
        if (set)
            SessionPrint(name + u"=" + value + u"\n");
        else
            SessionSay(name + u" is not set\n");
        SetResult(set ? 0 : 1);
        return;
    }
    std::u16string value = arguments.substr(equals + 1);
    if (value.empty())
        Console.plugin->unsetVariable(name);
    else
        Console.plugin->setVariable(name, value);
    std::string problem = KeepVariable(name, value);
    if (!problem.empty()) SessionSay(FromUtf8(problem) + u"\n");
    SetResult(0);
}

} // namespace

void RunCommandLine(const std::u16string& line) {
    size_t start = SkipBlanks(line, 0);
    if (start < line.size() && line[start] == u'@') start = SkipBlanks(line, start + 1);
    size_t end = start;
    while (end < line.size() && !IsSpaceOrTab(line[end]))
        ++end;
    if (start == end) return;
    std::u16string word = line.substr(start, end - start);
    std::u16string rest = line.substr(SkipBlanks(line, end));

    if (EqualsIgnoreCase(word.c_str(), u"torvane")) {
        Torvane(rest);
    } else if (EqualsIgnoreCase(word.c_str(), u"help")) {
        ShowHelp(Trimmed(rest));
    } else if (EqualsIgnoreCase(word.c_str(), u"usage")) {
        ShowUsage(Trimmed(rest));
    } else if (EqualsIgnoreCase(word.c_str(), u"set")) {
        Set(rest);
    } else if (EqualsIgnoreCase(word.c_str(), u"echo")) {
        SessionPrint(Console.plugin->expand(end < line.size() ? line.substr(end + 1) : u"") +
                     u"\n");
        SetResult(0);
    } else if (EqualsIgnoreCase(word.c_str(), u"cls")) {
        if (!Console.transcript) Console.write("\x1b[H\x1b[2J", 7);
        SetResult(0);
    } else if (EqualsIgnoreCase(word.c_str(), u"exit")) {
        SessionLeave(0);
    } else {
        SessionSay(u"Not run: " + Trimmed(line) + u"\n");
    }
}
