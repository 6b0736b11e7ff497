// The console's command line: its options, their checks, and the files and folders they name.
#pragma once

#include <string>

struct ConsoleOptions {
    int hostVersion = 23;
    std::string registry; // empty: the default file
    bool windows = false;
    bool transcript = false;
    bool help = false;
};

// The text of --help.
std::string ConsoleUsage();

// Reads the arguments after the program name; false, with the message in *error, for one that
// is unknown, a missing or bad value, or options that cannot go together.
bool ParseConsoleOptions(int argc, const char* const* argv, ConsoleOptions* options,
                         std::string* error);

// $XDG_CONFIG_HOME/torvane/registry.txt, or ~/.config/torvane/registry.txt.
std::string DefaultRegistryPath();

// The file the console keeps the user's variables in, beside the registry file.
std::string VariablesPath(const std::string& registry);
