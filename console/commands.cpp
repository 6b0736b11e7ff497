// The command lines the console runs on Enter. It is a stand-in for the host, not a shell: it
// knows the plug-in's command, help and usage, host variables, echo, cls and exit, and shows
// every other line as not run.
#include <cstdio>
#include <string>

#include "console/session.h"
#include "standins/registry_file.h"
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

void ShowHelp(const std::u16string& name) {
    if (name.empty()) {
        SessionPrint(u"Built-in commands of the Torvane console:\n"
                     u"  torvane [options]   the plug-in's command (torvane /? for its help)\n"
                     u"  help torvane        the plug-in's help, in a box closed with Enter\n"
                     u"  usage torvane       the plug-in's usage text\n"
                     u"  set NAME=VALUE      set a host variable (set NAME= removes it)\n"
                     u"  echo TEXT           show TEXT with variables expanded (%_? is the result\n"
                     u"                      of the last built-in command)\n"
                     u"  cls                 clear the screen\n"
                     u"  exit                leave (so does Ctrl-C)\n"
                     u"Other lines are shown as not run.\n");
        SetResult(0);
        return;
    }
    int shown = Console.plugin->help(name.c_str());
    if (shown == 0) SessionPrint(u"No help for " + name + u".\n");
    SetResult(shown != 0 ? 0 : 1);
}

void ShowUsage(const std::u16string& name) {
    char16_t out[1024] = {};
    int found = Console.plugin->usage(name.c_str(), out);
    out[1023] = 0;
    if (found != 0)
        SessionPrint(out);
    else
        SessionPrint(u"No usage text for " + name + u".\n");
    SetResult(found != 0 ? 0 : 1);
}

void Set(const std::u16string& arguments) {
    size_t equals = arguments.find(u'=');
    std::u16string name = Trimmed(arguments.substr(0, equals));
    if (name.empty()) {
        SessionPrint(u"Usage: set NAME=VALUE (set NAME= removes the variable)\n");
        SetResult(1);
        return;
    }
    if (equals == std::u16string::npos) {
        std::u16string value = Console.plugin->expand(u"%[" + name + u"]");
        SessionPrint(name + u"=" + value + u"\n");
    } else if (equals + 1 == arguments.size()) {
        Console.plugin->unsetVariable(name);
    } else {
        Console.plugin->setVariable(name, arguments.substr(equals + 1));
    }
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
        Console.exitRequested = true;
    } else {
        SessionPrint(u"Not run: " + Trimmed(line) + u"\n");
    }
}
