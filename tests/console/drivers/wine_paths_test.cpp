// Where --windows finds Wine's prefix: the one named, or the Windows build's own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>

#include "console/drivers/wine_paths.h"

namespace {

TEST(ConsoleDriversWinePaths, TheWinePrefixIsTheOneNamedOrTheWindowsBuildsOwn) {
    const std::string source = std::filesystem::path(TORVANE_TESTS_DIR).parent_path().string();
    struct Case {
        const char* prefix; // $TORVANE_WINE_PREFIX; null: unset
        const char* build;  // $TORVANE_WINDOWS_BUILD; null: unset
        std::string expected;
    };
    const Case cases[] = {
        {"/p", "/b", "/p"},
        {nullptr, "/b", "/b/console-wine-prefix"},
        {"", "/b", "/b/console-wine-prefix"}, // empty counts as unset
        {nullptr, nullptr, source + "/build/windows/console-wine-prefix"},
        {"", "", source + "/build/windows/console-wine-prefix"},
    };
    for (const auto& c : cases) {
        for (auto [name, value] : {std::pair{"TORVANE_WINE_PREFIX", c.prefix},
                                   std::pair{"TORVANE_WINDOWS_BUILD", c.build}})
            value != nullptr ? setenv(name, value, 1) : unsetenv(name);
        EXPECT_EQ(WinePrefixPath(), c.expected)
            << (c.prefix ? c.prefix : "(unset)") << " " << (c.build ? c.build : "(unset)");
    }
    unsetenv("TORVANE_WINE_PREFIX");
    unsetenv("TORVANE_WINDOWS_BUILD");
}

} // namespace
