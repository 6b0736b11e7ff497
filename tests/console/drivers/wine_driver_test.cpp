// The console's waits on its bridge under Wine, against fake bridges: a Windows build of empty
// files, and first on the PATH a wine that is a shell script.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "console/drivers/bridge_protocol.h"
#include "console/drivers/wine_driver.h"

namespace {

TEST(ConsoleDriversWineDriver, EveryWaitOnTheBridgeEnds) {
    struct Case {
        const char* script;    // what the fake Wine does with the requests
        bool interrupt;        // the user interrupts the start, or the call once it has started
        bool starts;           // it says ready, and a call is made
        std::string lost;      // why the start failed, or why the bridge is lost after the call
        std::string said = ""; // what the driver said of the call
    };
    const Case cases[] = {
        {"exec sleep 30", false, false, "the bridge under Wine stopped answering"},
        {"exec sleep 30", true, false, ""},
        {"echo ready; read r; kill -STOP $$", false, true,
         "the bridge under Wine stopped answering"},
        {"echo ready; read r; for i in $(seq 100); do echo note; sleep 0.1; done", false, true,
         "the bridge under Wine kept reporting for 2 seconds without an answer"},
        {"echo ready; read r; head -c 1100000 /dev/zero | tr '\\0' x; exec sleep 30", false, true,
         "the bridge under Wine sent a line longer than " + std::to_string(kLongestLine) +
             " bytes"},
        {"echo ready; read r; exec sleep 30", true, true, ""},
        {"echo ready; read r; echo fail; read r; echo done 0", false, true, "", "the bridge: "},
    };
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("torvane-fake-wine-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    for (const char* file : {"Torvane.dll", "TakeCmd.dll", "torvane_console_bridge.exe"})
        std::ofstream(dir / file).close();
    std::string path = std::getenv("PATH");
    setenv("PATH", (dir.string() + ":" + path).c_str(), 1);
    setenv("TORVANE_WINDOWS_BUILD", dir.c_str(), 1);
    setenv("TORVANE_WINE_PREFIX", dir.c_str(), 1);
    std::string wine = (dir / "wine").string();
    for (const auto& c : cases) {
        std::ofstream(wine) << "#!/bin/sh\n" << c.script << "\n";
        chmod(wine.c_str(), 0755);
        bool launched = false;
        int asked = 0;
        BridgeWaits waits{2, 1, 2,
                          [&] { return ++asked > 0 && c.interrupt && launched == c.starts; }};
        if (c.interrupt) waits.startSeconds = waits.quietSeconds = waits.callSeconds = 30;
        auto began = std::chrono::steady_clock::now();
        std::string said;
        std::string problem;
        std::unique_ptr<PluginDriver> driver = LaunchWineDriver(
            nullptr, [&said](const std::string& text) { said += text; }, waits, &problem);
        launched = true;
        ASSERT_EQ(driver != nullptr, c.starts) << c.script << ": " << problem;
        if (driver == nullptr) {
            std::string bridge = (dir / "torvane_console_bridge.exe").string();
            EXPECT_EQ(problem, c.lost.empty()
                                   ? ""
                                   : c.lost + " before it started (" + wine + " " + bridge + ")")
                << c.script;
        } else {
            EXPECT_EQ(driver->Command(u"/q"), 0) << c.script;
            EXPECT_EQ(driver->Lost(), c.lost) << c.script;
            int askedOnce = asked;
            if (c.interrupt || !c.lost.empty()) { // given up: nothing more is waited for
                EXPECT_EQ(driver->Command(u"/q"), 0) << c.script;
                EXPECT_EQ(asked, askedOnce) << c.script;
            }
            driver->Stop();
        }
        EXPECT_EQ(said, c.said) << c.script;
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(10)) << c.script;
    }
    setenv("PATH", path.c_str(), 1);
    unsetenv("TORVANE_WINDOWS_BUILD");
    unsetenv("TORVANE_WINE_PREFIX");
    std::filesystem::remove_all(dir);
}

} // namespace
