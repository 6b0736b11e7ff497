// The console's built-in commands.
#include "console/session/commands.h"

#include <algorithm>
#include <string>

#include "console/terminal/layout.h"
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

void SetResult(Session& s, int result) {
    std::string digits = std::to_string(result);
    s.plugin->SetVariable(kResultVariable, std::u16string(digits.begin(), digits.end()));
}

// The plug-in's command; when it could not save, the console names the file and the cause.
void Torvane(Session& s, const std::u16string& arguments) {
    StandInRegistryTakeFileError(); // an older failure is not this command's
    SetResult(s, s.plugin->Command(arguments.c_str()));
    std::string error = StandInRegistryTakeFileError();
    if (!error.empty()) Complain(*s.screen, error);
}

// The built-in commands as help lists them. A form is the command's name, then what it takes:
// words in capitals or in brackets.
struct BuiltIn {
    const char16_t* form;
    const char16_t* meaning;
};

constexpr BuiltIn kBuiltIns[] = {
    {u"torvane [options]", u"the plug-in's command (torvane /? for its help)"},
    {u"help torvane", u"the plug-in's help, in a box closed with Enter or Esc"},
    {u"usage torvane", u"the plug-in's usage text"},
    {u"set NAME=VALUE", u"set a host variable, kept for the next start (set NAME= removes it, "
                        u"set NAME shows it, set alone lists them)"},
    {u"echo TEXT", u"show TEXT with variables expanded (%_? is the result of the last built-in "
                   u"command)"},
    {u"cls", u"clear the screen"},
    {u"exit", u"leave (so does Ctrl-C)"},
};

// Columns before a command's meaning; on a narrow terminal the meaning starts on a row of its own.
constexpr size_t kFormColumns = 22;
constexpr size_t kNarrowIndent = 4;
constexpr size_t kFewestMeaningColumns = 30;

void ShowBuiltIns(Session& s) {
    size_t width = s.screen->Size().columns;
    std::u16string text = u"Built-in commands of the Torvane console:\n";
    bool narrow = width < kFormColumns + kFewestMeaningColumns;
    for (const BuiltIn& b : kBuiltIns) {
        std::u16string form = u"  " + std::u16string(b.form);
        if (narrow) {
            text +=
                form + u"\n" +
                WrapText(std::u16string(kNarrowIndent, u' ') + b.meaning, width, kNarrowIndent) +
                u"\n";
        } else {
            form.resize(kFormColumns, u' ');
            text += WrapText(form + b.meaning, width, kFormColumns) + u"\n";
        }
    }
    s.screen->Print(text);
    Say(*s.screen, u"Other lines are shown as not run.\n");
}

// A form up to its first word in capitals or in brackets.
std::u16string NameOf(const BuiltIn& b) {
    const std::u16string form = b.form;
    size_t end = 0;
    for (size_t word = 0; word < form.size();) {
        char16_t first = form[word];
        if (first == u'[' || (first >= u'A' && first <= u'Z')) break;
        end = std::min(form.find(u' ', word), form.size());
        word = end + 1;
    }
    return form.substr(0, end);
}

void ShowHelp(Session& s, const std::u16string& name) {
    if (name.empty()) {
        ShowBuiltIns(s);
        SetResult(s, 0);
        return;
    }
    int shown = s.plugin->Help(name.c_str());
    if (shown == 0) Say(*s.screen, u"No help for " + name + u".\n");
    SetResult(s, shown != 0 ? 0 : 1);
}

void ShowUsage(Session& s, const std::u16string& name) {
    char16_t out[kUsageBufferSize] = {};
    int found = s.plugin->Usage(name.c_str(), out);
    out[kUsageBufferSize - 1] = 0;
    if (found != 0)
        s.screen->Print(out);
    else
        Say(*s.screen, u"No usage text for " + name + u".\n");
    SetResult(s, found != 0 ? 0 : 1);
}

// The value echo %NAME% shows; false when the variable is not set.
bool ShownValue(Session& s, const std::u16string& name, std::u16string* value) {
    std::u16string reference = u"%" + name + u"%";
    *value = s.plugin->Expand(u"%[" + name + u"]");
    return !value->empty() || s.plugin->Expand(reference) != reference;
}

void Set(Session& s, const std::u16string& arguments) {
    size_t equals = arguments.find(u'=');
    std::u16string name = Trimmed(arguments.substr(0, equals));
    if (equals == std::u16string::npos && name.empty()) { // the user's, sorted, as a shell lists
        for (const auto& [set, value] : s.variables.byName)
            s.screen->Print(set + u"=" + value + u"\n");
        SetResult(s, 0);
        return;
    }
    if (name.empty()) {
        Say(*s.screen, u"Usage: set NAME=VALUE (set NAME= removes the variable)\n");
        SetResult(s, 1);
        return;
    }
    if (equals == std::u16string::npos) {
        std::u16string value;
        bool set = ShownValue(s, name, &value);
        if (set)
            s.screen->Print(name + u"=" + value + u"\n");
        else
            Say(*s.screen, name + u" is not set\n");
        SetResult(s, set ? 0 : 1);
        return;
    }
    std::u16string value = arguments.substr(equals + 1);
    if (value.empty())
        s.plugin->UnsetVariable(name);
    else
        s.plugin->SetVariable(name, value);
    std::string problem = KeepVariable(&s.variables, name, value);
    if (!problem.empty()) Say(*s.screen, FromUtf8(problem) + u"\n");
    SetResult(s, problem.empty() ? 0 : 2); // 2, as a failed save of the plug-in's settings
}

// Runs the command of the line.
void Run(Session& s, const std::u16string& line) {
    size_t start = SkipBlanks(line, 0);
    if (start < line.size() && line[start] == u'@') start = SkipBlanks(line, start + 1);
    size_t end = start;
    while (end < line.size() && !IsSpaceOrTab(line[end]))
        ++end;
    if (start == end) return;
    std::u16string word = line.substr(start, end - start);
    std::u16string rest = line.substr(SkipBlanks(line, end));

    if (EqualsIgnoreCase(word.c_str(), u"torvane")) {
        Torvane(s, rest);
    } else if (EqualsIgnoreCase(word.c_str(), u"help")) {
        ShowHelp(s, Trimmed(rest));
    } else if (EqualsIgnoreCase(word.c_str(), u"usage")) {
        ShowUsage(s, Trimmed(rest));
    } else if (EqualsIgnoreCase(word.c_str(), u"set")) {
        Set(s, rest);
    } else if (EqualsIgnoreCase(word.c_str(), u"echo")) {
        s.screen->Print(s.plugin->Expand(end < line.size() ? line.substr(end + 1) : u"") + u"\n");
        SetResult(s, 0);
    } else if (EqualsIgnoreCase(word.c_str(), u"cls")) {
        s.screen->ClearScreen();
        SetResult(s, 0);
    } else if (EqualsIgnoreCase(word.c_str(), u"exit")) {
        SessionLeave(s, 0);
    } else {
        Say(*s.screen, u"Not run: " + Trimmed(line) + u"\n");
    }
}

} // namespace

std::u16string BuiltInCommandNames() {
    std::u16string names;
    for (const BuiltIn& b : kBuiltIns)
        names += (names.empty() ? u"" : u", ") + NameOf(b);
    return names;
}

void RunCommandLine(Session& session, const std::u16string& line) {
    session.screen->PageOutput(true);
    Run(session, line);
    session.screen->PageOutput(false);
    session.screen->SideOutput(session.plugin->TakeSideOutput());
}
