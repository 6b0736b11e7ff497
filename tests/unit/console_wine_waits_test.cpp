// The console's waits on its bridge under Wine, against fake bridges: shell scripts that stand in
// for Wine, and stop, go quiet, report forever or send a line without an end.
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

// A Windows build of empty files, and first on the PATH a wine that runs a script of the test's.
class FakeWine : public ::testing::Test {
  protected:
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("torvane-fake-wine-" + std::to_string(getpid()));
    std::string wine = (dir / "wine").string();
    std::vector<std::pair<std::string, std::string>> saved; // each variable set, as it was

    void SetUp() override {
        std::filesystem::create_directories(dir);
        for (const char* file : {"Torvane.dll", "TakeCmd.dll", "torvane_console_bridge.exe"})
            std::ofstream(dir / file).close();
        const char* path = std::getenv("PATH");
        Set("TORVANE_WINDOWS_BUILD", dir.string());
        Set("TORVANE_WINE_PREFIX", dir.string());
        Set("PATH", dir.string() + ":" + (path != nullptr ? path : "/usr/bin:/bin"));
    }
    void TearDown() override {
        for (const auto& [name, value] : saved)
            value.empty() ? unsetenv(name.c_str()) : setenv(name.c_str(), value.c_str(), 1);
        std::filesystem::remove_all(dir);
    }
    void Set(const std::string& name, const std::string& value) {
        const char* was = std::getenv(name.c_str());
        saved.emplace_back(name, was != nullptr ? was : "");
        setenv(name.c_str(), value.c_str(), 1);
    }
    std::unique_ptr<PluginDriver> Launch(const std::string& script, BridgeWaits waits,
                                         std::vector<std::string>* said, std::string* problem) {
        std::ofstream(wine) << "#!/bin/sh\n" << script << "\n";
        chmod(wine.c_str(), 0755);
        return LaunchWineDriver(
            nullptr, [said](const std::string& text) { said->push_back(text); }, waits, problem);
    }
};

TEST_F(FakeWine, EveryWaitOnTheBridgeEnds) {
    struct Case {
        const char* script; // what the fake Wine does: reads requests, writes reports
        bool interrupt;     // the user interrupts the start, or the call once it has started
        bool starts;        // it says ready, and a call is made
        std::string lost;   // why the start failed, or why the bridge is lost after the call
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
    };
    std::string started =
        " before it started (" + wine + " " + (dir / "torvane_console_bridge.exe").string() + ")";
    for (const auto& c : cases) {
        bool launched = false;
        int asked = 0;
        BridgeWaits waits{2, 1, 2,
                          [&] { return ++asked > 0 && c.interrupt && launched == c.starts; }};
        if (c.interrupt) waits.startSeconds = waits.quietSeconds = waits.callSeconds = 30;
        auto began = std::chrono::steady_clock::now();
        std::vector<std::string> said;
        std::string problem;
        std::unique_ptr<PluginDriver> driver = Launch(c.script, waits, &said, &problem);
        launched = true;
        ASSERT_EQ(driver != nullptr, c.starts) << c.script << ": " << problem;
        if (driver == nullptr) {
            EXPECT_EQ(problem, c.lost.empty() ? "" : c.lost + started) << c.script;
        } else {
            EXPECT_EQ(driver->Command(u"/q"), 0) << c.script;
            EXPECT_EQ(driver->Lost(), c.lost) << c.script;
            int askedOnce = asked;
            EXPECT_EQ(driver->Command(u"/q"), 0) << c.script; // given up: nothing is waited for
            EXPECT_EQ(asked, askedOnce) << c.script;
            driver->Stop();
        }
        EXPECT_TRUE(said.empty()) << c.script;
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(10)) << c.script;
    }
}

// A call the bridge could not make is said and fails; the bridge goes on with the next.
TEST_F(FakeWine, AFailedCallIsSaidAndTheBridgeKept) {
    std::vector<std::string> said;
    std::string problem;
    std::unique_ptr<PluginDriver> driver =
        Launch("echo ready; read r; echo fail; read r; echo ' fail  no key'; read r; echo done 3",
               {}, &said, &problem);
    ASSERT_NE(driver, nullptr) << problem;
    EXPECT_EQ(driver->Command(u"/q"), 0);
    EXPECT_EQ(driver->Command(u"/q"), 0);
    EXPECT_EQ(driver->Command(u"/q"), 3);
    EXPECT_EQ(driver->Lost(), "");
    EXPECT_EQ(said, (std::vector<std::string>{"the bridge: ", "the bridge:  no key"}));
}

} // namespace
