// The console's options: each read from "--name value" or "--name=value", checked as it is read.
#include "console/options.h"

#include <cstdlib>

#include "console/drivers/wine_paths.h"

namespace {

// --host-version takes any version up to three digits, so that hosts the plug-in cannot use (below
// kLowestUsableHostVersion or above kHighestUsableHostVersion of plugin/host.h) can be tried too.
constexpr int kLargestHostVersionOption = 999;

// The options that take a value.
enum class Valued { kNone, kHostVersion, kRegistry };

struct ValuedOption {
    const char* name;
    Valued option;
};

constexpr ValuedOption kValuedOptions[] = {
    {"--host-version", Valued::kHostVersion},
    {"--registry", Valued::kRegistry},
};

// A whole decimal number from 0 to 999; -1 for anything else.
int HostVersionOf(const std::string& text) {
    if (text.empty()) return -1;
    int number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        number = number * 10 + (c - '0');
        if (number > kLargestHostVersionOption) return -1;
    }
    return number;
}

bool SetValue(Valued option, const std::string& name, const std::string& value,
              ConsoleOptions* options, std::string* error) {
    if (option == Valued::kRegistry) {
        if (value.empty()) *error = "torvane-console: " + name + " needs a file name";
        options->registry = value;
        return !value.empty();
    }
    options->hostVersion = HostVersionOf(value);
    if (options->hostVersion < 0)
        *error = "torvane-console: " + name + " " + value +
                 ": the host version is a whole number from 0 to 999";
    return options->hostVersion >= 0;
}

} // namespace

std::string ConsoleUsage() {
    return "Usage: torvane-console [--host-version N] [--registry FILE] [--windows] "
           "[--transcript]\n"
           "  --host-version N  the host's major version (%_4ver), 0 to 999 (default 23); 24 and\n"
           "                    up report some keys by name\n"
           "  --registry FILE   the stand-in registry's file (default: $XDG_CONFIG_HOME/torvane/\n"
           "                    registry.txt, or ~/.config/torvane/registry.txt); the variables\n"
           "                    that set keeps go to FILE.vars\n"
           "  --windows         drive the real Torvane.dll under Wine instead of the native\n"
           "                    build; its settings are in the registry of the Wine prefix\n"
           "                    " +
           WinePrefixPath() +
           "\n"
           "                    ($TORVANE_WINE_PREFIX), so --registry cannot go with it\n"
           "  --transcript      read keys from standard input and print each edit line before\n"
           "                    and after every key (the mode without a terminal)\n";
}

bool ParseConsoleOptions(int argc, const char* const* argv, ConsoleOptions* options,
                         std::string* error) {
    bool registryGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        size_t equals = arg.find('=');
        std::string name = arg.substr(0, equals);
        const ValuedOption* valued = nullptr;
        for (const ValuedOption& o : kValuedOptions)
            if (name == o.name) valued = &o;
        if (valued != nullptr) {
            if (equals == std::string::npos && i + 1 >= argc) {
                *error = "torvane-console: " + name + " needs a value";
                return false;
            }
            std::string value = equals != std::string::npos ? arg.substr(equals + 1) : argv[++i];
            if (!SetValue(valued->option, name, value, options, error)) return false;
            registryGiven = registryGiven || valued->option == Valued::kRegistry;
        } else if (arg == "--windows") {
            options->windows = true;
        } else if (arg == "--transcript") {
            options->transcript = true;
        } else if (arg == "--help" || arg == "-h") {
            options->help = true;
        } else {
            *error = "torvane-console: unknown option " + arg;
            return false;
        }
    }
    if (registryGiven && options->windows) {
        *error = "torvane-console: --registry and --windows cannot be used together: with "
                 "--windows the settings are in the registry of the Wine prefix " +
                 WinePrefixPath();
        return false;
    }
    return true;
}

std::string DefaultRegistryPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') return std::string(config) + "/torvane/registry.txt";
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : ".") + "/.config/torvane/registry.txt";
}

std::string VariablesPath(const std::string& registry) {
    return registry + ".vars";
}
