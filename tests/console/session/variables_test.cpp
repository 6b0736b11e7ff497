// The variables set keeps, in their file beside the registry file from one start to the next.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>

#include "console/session/variables.h"

namespace {

std::string Contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(ConsoleSessionVariables, KeptInTheirFileFromOneStartToTheNext) {
    std::string dir = ::testing::TempDir() + "console-variables";
    std::filesystem::remove_all(dir);
    std::string path = dir + "/torvane/registry.txt.vars";

    KeptVariables kept;
    EXPECT_EQ(VariablesAttach(&kept, path), ""); // no file yet: none kept
    EXPECT_TRUE(kept.byName.empty());
    EXPECT_EQ(KeepVariable(&kept, u"noloadmsg", u"1"), "");
    EXPECT_EQ(KeepVariable(&kept, u"Path", u"C:\\a=b \u00E9"), "");
    EXPECT_EQ(KeepVariable(&kept, u"_4ver", u"24"), ""); // the console sets these at every start
    EXPECT_EQ(KeepVariable(&kept, u"_?", u"1"), "");
    EXPECT_EQ(Contents(path), "Path=C:\\a=b \xc3\xa9\nnoloadmsg=1\n");

    std::ofstream(path, std::ios::app) << "no equals sign\n=x\nempty=\r\nwindows=line\r\n";
    EXPECT_EQ(VariablesAttach(&kept, path), "");
    std::map<std::u16string, std::u16string> expected = {
        {u"Path", u"C:\\a=b \u00E9"}, {u"noloadmsg", u"1"}, {u"windows", u"line"}};
    EXPECT_EQ(kept.byName, expected);

    EXPECT_EQ(KeepVariable(&kept, u"Path", u""), "");
    EXPECT_EQ(KeepVariable(&kept, u"windows", u""), "");
    EXPECT_EQ(Contents(path), "noloadmsg=1\n");
    EXPECT_EQ(KeepVariable(&kept, u"noloadmsg", u""), "");
    EXPECT_FALSE(std::filesystem::exists(path)) << "no variables left: no file";

    std::filesystem::create_directories(path); // a folder where the file should be
    EXPECT_EQ(KeepVariable(&kept, u"x", u"1").rfind("Could not keep the variables in " + path, 0),
              0u);
    VariablesAttach(&kept, "");
    std::filesystem::remove_all(dir);
}

// What the file at path is: "MODE TEXT" for a file, "link " before what a link leads to, "dir" or
// "none".
std::string Found(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) return "none";
    if (S_ISLNK(info.st_mode)) return "link " + Found(std::filesystem::read_symlink(path));
    if (S_ISDIR(info.st_mode)) return "dir";
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o ", info.st_mode & 07777);
    return mode + Contents(path);
}

void WriteFile(const std::string& path, const std::string& text, mode_t mode) {
    std::ofstream(path) << text;
    chmod(path.c_str(), mode);
}

TEST(ConsoleSessionVariables, ASetChangesTheFileAsItIsThenAndOnlyThroughWhatTheUserMade) {
    const std::string dir = ::testing::TempDir() + "console-variables-saved";
    const std::string path = dir + "/registry.txt.vars", elsewhere = dir + "/elsewhere";
    struct Case {
        const char* what;
        std::function<void()> make; // after the console attached the file: another's doing
        std::u16string value;       // of X
        std::string message;        // $: path
        std::string found;
    };
    const Case cases[] = {
        {"another console's variables and the file's mode are kept",
         [&] { WriteFile(path, "A=1\n", 0640); }, u"1", "", "0640 A=1\nX=1\n"},
        {"a link is written through",
         [&] {
             WriteFile(elsewhere, "A=1\n", 0644);
             std::filesystem::create_symlink(elsewhere, path);
         },
         u"1", "", "link 0644 A=1\nX=1\n"},
        {"a read-only file is left alone", [&] { WriteFile(path, "A=1\n", 0444); }, u"1",
         "Could not keep the variables in $: Permission denied (the file is read-only)",
         "0444 A=1\n"},
        {"an empty folder is left alone", [&] { std::filesystem::create_directory(path); }, u"",
         "Could not keep the variables in $: Is a directory", "dir"},
        {"a file others may write to is left alone", [&] { WriteFile(path, "A=1\n", 0666); }, u"1",
         "Could not keep the variables in $: others than its owner may write to it (mode 0666)",
         "0666 A=1\n"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        KeptVariables kept;
        VariablesAttach(&kept, path);
        c.make();
        std::string message = c.message;
        if (size_t at = message.find('$'); at != std::string::npos) message.replace(at, 1, path);
        EXPECT_EQ(KeepVariable(&kept, u"X", c.value), message) << c.what;
        EXPECT_EQ(Found(path), c.found) << c.what;
    }
    std::filesystem::remove_all(dir);
}

} // namespace
