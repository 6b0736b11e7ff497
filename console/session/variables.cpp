// The console's variables file, a kept file (standins/kept_file.h): every change is made in the
// file as it is at that moment, so that consoles sharing it keep each other's variables.
#include "console/session/variables.h"

#include <sstream>

#include "standins/kept_file.h"
#include "standins/utf8.h"

namespace {

// Set by the console itself at every start, from its options and for each command.
constexpr const char16_t* kConsoleVariables[] = {u"_4ver", kResultVariable};

bool SetByConsole(const std::u16string& name) {
    for (const char16_t* own : kConsoleVariables)
        if (name == own) return true;
    return false;
}

bool HasLineBreak(const std::u16string& text) {
    return text.find_first_of(u"\r\n") != std::u16string::npos;
}

// Keeps name with value in byName; an empty value removes it.
void Apply(VariablesByName& byName, const std::u16string& name, const std::u16string& value) {
    if (value.empty())
        byName.erase(name);
    else
        byName[name] = value;
}

// The variables of a file's text; lines without a name and a value are skipped.
VariablesByName FromText(const std::string& text) {
    VariablesByName byName;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t equals = line.find('=');
        if (equals == 0 || equals == std::string::npos || equals + 1 == line.size()) continue;
        std::u16string name = FromUtf8(line.substr(0, equals));
        if (!SetByConsole(name)) byName[name] = FromUtf8(line.substr(equals + 1));
    }
    return byName;
}

std::string ToText(const VariablesByName& byName) {
    std::string text;
    for (const auto& [name, value] : byName)
        if (!HasLineBreak(name) && !HasLineBreak(value)) text += ToUtf8(name + u"=" + value) + "\n";
    return text;
}

} // namespace

std::string VariablesAttach(KeptVariables* kept, const std::string& path) {
    *kept = KeptVariables{path, {}};
    if (path.empty()) return "";
    std::string target, contents, cause;
    KeptFileRead found = KeptFileLoad(path, &target, &contents, &cause);
    if (found == KeptFileRead::kMissing) return "";
    if (found == KeptFileRead::kNotTrusted)
        return "The variables file " + path + " is not trusted (" + cause +
               "); starting without its variables. Nothing is saved there.";
    if (found != KeptFileRead::kRegular)
        return "Could not read the variables in " + path + ": " + cause;
    kept->byName = FromText(contents);
    return "";
}

std::string KeepVariable(KeptVariables* kept, const std::u16string& name,
                         const std::u16string& value) {
    if (SetByConsole(name)) return "";
    Apply(kept->byName, name, value);
    if (kept->path.empty()) return "";
    KeptFileMakeFolders(kept->path);
    auto merge = [&](KeptFileRead found, const std::string& contents, std::string* text) {
        VariablesByName saved = FromText(found == KeptFileRead::kRegular ? contents : "");
        Apply(saved, name, value);
        *text = ToText(saved); // none left: the file goes
        return true;
    };
    KeptFileOutcome outcome;
    if (KeptFileSave(kept->path, false, merge, &outcome)) return "";
    return "Could not keep the variables in " + outcome.file + ": " + outcome.cause;
}
