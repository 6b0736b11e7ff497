// The console's command line: each option and its value, the checks, and the files they name.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "console/options.h"

namespace {

TEST(ConsoleOptions, EachOptionAndItsValue) {
    setenv("TORVANE_WINE_PREFIX", "/wine/prefix", 1);
    struct Case {
        std::vector<const char*> arguments;
        std::string error; // "" when the line is accepted
        int hostVersion = 23;
        std::string registry = "";
    };
    const Case cases[] = {
        {{}, "", 23, ""},
        {{"--host-version", "24"}, "", 24, ""},
        {{"--host-version=0"}, "", 0, ""},
        {{"--host-version", "999"}, "", 999, ""},
        {{"--host-version", "007"}, "", 7, ""},
        {{"--registry", "r.txt", "--transcript"}, "", 23, "r.txt"},
        {{"--registry=/tmp/x y"}, "", 23, "/tmp/x y"},
        {{"--host-version", "abc"},
         "torvane-console: --host-version abc: the host version is a whole number from 0 to 999"},
        {{"--host-version=1000"},
         "torvane-console: --host-version 1000: the host version is a whole number from 0 to 999"},
        {{"--host-version", "24x"},
         "torvane-console: --host-version 24x: the host version is a whole number from 0 to 999"},
        {{"--host-version", "-1"},
         "torvane-console: --host-version -1: the host version is a whole number from 0 to 999"},
        {{"--host-version="},
         "torvane-console: --host-version : the host version is a whole number from 0 to 999"},
        {{"--host-version"}, "torvane-console: --host-version needs a value"},
        {{"--registry"}, "torvane-console: --registry needs a value"},
        {{"--registry="}, "torvane-console: --registry needs a file name"},
        {{"--foo"}, "torvane-console: unknown option --foo"},
        {{"--windows=1"}, "torvane-console: unknown option --windows=1"},
        {{"extra"}, "torvane-console: unknown option extra"},
        {{"--registry", "r.txt", "--windows"},
         "torvane-console: --registry and --windows cannot be used together: with --windows the "
         "settings are in the registry of the Wine prefix /wine/prefix"},
        {{"--windows", "--registry=r.txt"},
         "torvane-console: --registry and --windows cannot be used together: with --windows the "
         "settings are in the registry of the Wine prefix /wine/prefix"},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv = {"torvane-console"};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        ConsoleOptions options;
        std::string error;
        bool accepted =
            ParseConsoleOptions(static_cast<int>(argv.size()), argv.data(), &options, &error);
        std::string what; // the row's arguments, all of them: rows may share the first
        for (const char* argument : c.arguments)
            what += (what.empty() ? "" : " ") + std::string(argument);
        if (what.empty()) what = "(none)";
        EXPECT_EQ(accepted, c.error.empty()) << what;
        EXPECT_EQ(error, c.error) << what;
        if (!accepted) continue;
        EXPECT_EQ(options.hostVersion, c.hostVersion) << what;
        EXPECT_EQ(options.registry, c.registry) << what;
    }
    EXPECT_NE(ConsoleUsage().find("/wine/prefix"), std::string::npos) << ConsoleUsage();
    unsetenv("TORVANE_WINE_PREFIX");
    // The variables' file is the registry file's, with .vars after its name.
    EXPECT_EQ(VariablesPath("/d/torvane/registry.txt"), "/d/torvane/registry.txt.vars");
}

} // namespace
