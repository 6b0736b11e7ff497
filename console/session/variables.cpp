// The console's variables file. It is written whole on every change, through a file beside it
// that is then renamed over it, so that a failed write never leaves half a file.
#include "console/session/variables.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

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

std::string Save(const KeptVariables& kept) {
    if (kept.path.empty()) return "";
    if (kept.byName.empty()) {
        if (std::remove(kept.path.c_str()) == 0 || errno == ENOENT) return "";
        return "Could not remove " + kept.path + ": " + std::strerror(errno);
    }
    std::string text;
    for (const auto& [name, value] : kept.byName)
        if (!HasLineBreak(name) && !HasLineBreak(value)) text += ToUtf8(name + u"=" + value) + "\n";
    std::error_code ignored;
    std::filesystem::path parent = std::filesystem::path(kept.path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ignored);
    std::string temporary = kept.path + ".new";
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file || std::rename(temporary.c_str(), kept.path.c_str()) != 0) {
        std::string reason = std::strerror(errno);
        std::remove(temporary.c_str());
        return "Could not keep the variables in " + kept.path + ": " + reason;
    }
    return "";
}

} // namespace

std::string VariablesAttach(KeptVariables* kept, const std::string& path) {
    *kept = KeptVariables{path, {}};
    if (path.empty()) return "";
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (errno == ENOENT) return "";
        return "Could not read the variables in " + path + ": " + std::strerror(errno);
    }
    std::ostringstream text;
    text << file.rdbuf();
    std::istringstream lines(text.str());
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t equals = line.find('=');
        if (equals == 0 || equals == std::string::npos || equals + 1 == line.size()) continue;
        std::u16string name = FromUtf8(line.substr(0, equals));
        if (!SetByConsole(name)) kept->byName[name] = FromUtf8(line.substr(equals + 1));
    }
    return "";
}

std::string KeepVariable(KeptVariables* kept, const std::u16string& name,
                         const std::u16string& value) {
    if (SetByConsole(name)) return "";
    if (value.empty())
        kept->byName.erase(name);
    else
        kept->byName[name] = value;
    return Save(*kept);
}
