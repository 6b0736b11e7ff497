// Saving the registry file into what the user made of its folder: links, modes, names taken,
// damaged files, and other processes saving the same file.
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <sstream>
#include <vector>

#include "fixture.h"
#include "standins/kept_file.h"
#include "standins/kept_file_trust.h"

namespace {

const std::string kHeader = "; Registry of the Torvane console: one value a line under its key.\n";
const std::string kOld = kHeader + "[HKCU]\n[HKCU\\K]\n";
const std::string kNew = kOld + "\"V\"=dword:00000001\n";

// The user the tests stand for: another than root where the tests run as root, so that root's
// files and the user's are told apart.
uid_t You() {
    return geteuid() == 0 ? 4242 : geteuid();
}

// Everything under dir but the locks, one sorted line each: "file NAME MODE TEXT" (TEXT: OLD,
// NEW or the text itself), "link NAME TARGET", "dir NAME" or "fifo NAME".
std::vector<std::string> Tree(const std::filesystem::path& dir) {
    std::vector<std::string> out;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        std::string name = entry.path().lexically_relative(dir).string();
        struct stat info {};
        lstat(entry.path().c_str(), &info);
        char mode[8];
        std::snprintf(mode, sizeof mode, " %04o ", info.st_mode & 07777);
        std::string text = S_ISREG(info.st_mode) ? StandInRegistryFile::Read(entry.path()) : "";
        if (S_ISLNK(info.st_mode))
            out.push_back("link " + name + " " + std::filesystem::read_symlink(entry).string());
        else if (!S_ISREG(info.st_mode))
            out.push_back((S_ISDIR(info.st_mode) ? "dir " : "fifo ") + name);
        else if (!name.ends_with(".lock"))
            out.push_back("file " + name + mode +
                          (text == kOld   ? "OLD"
                           : text == kNew ? "NEW"
                                          : text));
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Makes what a line of Tree describes, and more: "link NAME TARGET UID" and "file NAME MODE TEXT
// UID" (of that user; YOU for You()), "sticky ." (the folder sticky and open to all), "mode NAME
// MODE", "owner NAME UID" and "lock NAME" (held, its descriptor added to held, as another process
// would hold it). False when the line cannot be made here.
bool Make(const std::filesystem::path& dir, const std::string& line, std::vector<int>* held) {
    std::istringstream words(line);
    std::string kind, name, detail, text, owner;
    words >> kind >> name >> detail >> text >> owner;
    std::string path = (dir / name).string();
    auto uid = [](const std::string& word) {
        return word == "YOU" ? You() : static_cast<uid_t>(std::stoi(word));
    };
    if (kind == "dir") std::filesystem::create_directory(path);
    if (kind == "fifo") mkfifo(path.c_str(), 0600);
    if (kind == "sticky") chmod(path.c_str(), 01777);
    if (kind == "mode") chmod(path.c_str(), static_cast<mode_t>(std::stoi(detail, nullptr, 8)));
    if (kind == "owner") return chown(path.c_str(), uid(detail), -1) == 0;
    if (kind == "lock") {
        held->push_back(open(path.c_str(), O_RDONLY | O_CREAT, 0600));
        return flock(held->back(), LOCK_EX) == 0;
    }
    if (kind == "link") {
        std::filesystem::create_symlink(detail, path);
        return text.empty() || lchown(path.c_str(), uid(text), -1) == 0;
    }
    if (kind != "file") return true;
    StandInRegistryFile::Write(path, text == "OLD" ? kOld : text == "NEW" ? kNew : text);
    chmod(path.c_str(), static_cast<mode_t>(std::stoi(detail, nullptr, 8)));
    return owner.empty() || chown(path.c_str(), uid(owner), -1) == 0;
}

struct SaveCase {
    const char* what;
    std::vector<std::string> before;
    std::string error; // "" when creating HKCU\K and setting V in it succeed; $: the folder
    std::vector<std::string> after;
};

TEST_F(StandInRegistryFile, SavesWriteWhatTheUserPointedAtAndNothingElse) {
    const std::string kCannot = "cannot write the registry file $/registry.txt: ";
    const SaveCase cases[] = {
        {"a file keeps its mode",
         {"file registry.txt 0640 OLD"},
         "",
         {"file registry.txt 0640 NEW"}},
        {"the user's own file",
         {"file registry.txt 0600 OLD YOU"},
         "",
         {"file registry.txt 0600 NEW"}},
        {"another user's file",
         {"file registry.txt 0644 OLD 65534"},
         kCannot + "it belongs to user 65534, who is neither you nor root",
         {"file registry.txt 0644 OLD"}},
        {"a file others may write to",
         {"file registry.txt 0664 OLD"},
         kCannot + "others than its owner may write to it (mode 0664)",
         {"file registry.txt 0664 OLD"}},
        {"a folder others may write to that is not sticky",
         {"mode . 0777", "file registry.txt 0644 OLD"},
         kCannot + "its folder $ may be written by others and is not sticky (mode 0777)",
         {"file registry.txt 0644 OLD"}},
        {"a folder of another user",
         {"owner . 65534", "mode . 0755"},
         kCannot + "its folder $ may be written by others and is not sticky (mode 0755)",
         {}},
        {"a file in a sticky folder open to all",
         {"sticky .", "file registry.txt 0644 OLD"},
         "",
         {"file registry.txt 0644 NEW"}},
        {"FILE.lock of another user",
         {"file registry.txt 0644 OLD", "file registry.txt.lock 0600 - 65534"},
         kCannot + "cannot take its lock $/registry.txt.lock (it belongs to user 65534, who is "
                   "neither you nor root)",
         {"file registry.txt 0644 OLD"}},
        {"temporaries of dead processes go, but another user's",
         {"file registry.txt 0644 OLD", "file registry.txt.tmp.999999999.0 0600 half",
          "file registry.txt.tmp.999999998.0 0600 theirs 65534",
          "file registry.txt.tmp.1.0 0600 running", "file registry.txt.tmp.x.0 0600 other"},
         "",
         {"file registry.txt 0644 NEW", "file registry.txt.tmp.1.0 0600 running",
          "file registry.txt.tmp.999999998.0 0600 theirs", "file registry.txt.tmp.x.0 0600 other"}},
        {"a new file is the user's alone", {}, "", {"file registry.txt 0600 NEW"}},
        {"a link to another folder",
         {"dir real", "file real/r.txt 0644 OLD", "link registry.txt real/r.txt"},
         "",
         {"dir real", "file real/r.txt 0644 NEW", "link registry.txt real/r.txt"}},
        {"a link to no file yet",
         {"link registry.txt made.txt"},
         "",
         {"file made.txt 0600 NEW", "link registry.txt made.txt"}},
        {"a read-only file",
         {"file registry.txt 0444 OLD"},
         kCannot + "Permission denied (the file is read-only)",
         {"file registry.txt 0444 OLD"}},
        {"a pipe",
         {"fifo registry.txt"},
         kCannot + "it is not a regular file",
         {"fifo registry.txt"}},
        {"FILE.tmp links to another file",
         {"file registry.txt 0644 OLD", "link registry.txt.tmp victim", "file victim 0644 mine"},
         "",
         {"file registry.txt 0644 NEW", "file victim 0644 mine", "link registry.txt.tmp victim"}},
        {"FILE.tmp is an empty folder",
         {"file registry.txt 0644 OLD", "dir registry.txt.tmp"},
         "",
         {"dir registry.txt.tmp", "file registry.txt 0644 NEW"}},
        {"another user's link in a sticky folder open to all",
         {"sticky .", "dir real", "file real/r.txt 0644 OLD", "link registry.txt real/r.txt 65534"},
         kCannot + "the link $/registry.txt is another user's, in a sticky folder others may write "
                   "to: it is not followed",
         {"dir real", "file real/r.txt 0644 OLD", "link registry.txt real/r.txt"}},
        {"one's own link there",
         {"sticky .", "dir real", "file real/r.txt 0644 OLD", "link registry.txt real/r.txt YOU"},
         "",
         {"dir real", "file real/r.txt 0644 NEW", "link registry.txt real/r.txt"}},
        {"the folder owner's link there",
         {"sticky .", "dir real", "file real/r.txt 0644 OLD", "link registry.txt real/r.txt"},
         "",
         {"dir real", "file real/r.txt 0644 NEW", "link registry.txt real/r.txt"}},
        {"FILE.lock held by another process: the wait ends when interrupted",
         {"file registry.txt 0644 OLD", "lock registry.txt.lock"},
         kCannot + "cannot take its lock $/registry.txt.lock (the wait for it was interrupted)",
         {"file registry.txt 0644 OLD"}},
    };
    KeptFileWaitWith([] { return true; });
    KeptFileTrustUser(You());
    for (const auto& c : cases) {
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        ResetStandIns();
        std::vector<int> held;
        bool made = true;
        for (const auto& line : c.before)
            made = Make(dir, line, &held) && made;
        if (!made) {
            std::printf("skipped, it needs root: %s\n", c.what);
            continue;
        }
        std::string message, error = c.error;
        StandInRegistryAttachFile(file, &message);
        int32_t result = WriteDword(u"K", u"V", 1);
        EXPECT_EQ(result, error.empty() ? 0 : 1016) << c.what;
        for (size_t at; (at = error.find('$')) != std::string::npos;)
            error.replace(at, 1, dir.string());
        EXPECT_EQ(StandInRegistryTakeFileError(), error) << c.what;
        EXPECT_EQ(StandInRegistryGetValue(kRootCurrentUser, u"K", u"V").exists, result == 0)
            << c.what;
        EXPECT_EQ(Tree(dir), c.after) << c.what;
        for (int fd : held)
            close(fd);
    }
    KeptFileWaitWith(nullptr);
    KeptFileTrustUser(geteuid());
}

TEST_F(StandInRegistryFile, AFileAnotherUserCouldHavePutThereIsNotRead) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"file registry.txt 0644 NEW 65534"},
         "it belongs to user 65534, who is neither you nor root"},
        {{"mode . 0777"}, "its folder $ may be written by others and is not sticky (mode 0777)"},
        {{"dir real", "file real/r.txt 0644 NEW 65534", "link registry.txt real/r.txt"},
         "it belongs to user 65534, who is neither you nor root"},
    };
    KeptFileTrustUser(You());
    for (const auto& [before, problem] : cases) {
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        ResetStandIns();
        std::vector<int> held;
        bool made = true;
        for (const auto& line : before)
            made = Make(dir, line, &held) && made;
        if (!made) continue; // it needs root
        std::string message, expected = "The registry file $/registry.txt is not trusted (" +
                                        problem +
                                        "); starting with an empty registry. Nothing is saved "
                                        "there.";
        for (size_t at; (at = expected.find('$')) != std::string::npos;)
            expected.replace(at, 1, dir.string());
        EXPECT_EQ(StandInRegistryAttachFile(file, &message), StandInRegistryFileStatus::kNotTrusted)
            << problem;
        EXPECT_EQ(message, expected);
        RegistryKey key = 0;
        EXPECT_EQ(PlatformRegOpenKey(kRootCurrentUser, u"K", kKeyRead, &key), 2) << problem;
        EXPECT_FALSE(StandInRegistryGetValue(kRootCurrentUser, u"K", u"V").exists) << problem;
    }
    KeptFileTrustUser(geteuid());
}

TEST_F(StandInRegistryFile, WhenEveryBackupNameIsTakenTheMessageSaysSo) {
    Write(file, "garbage");
    for (int i = 0; i < 100; ++i)
        Write(file + ".bad" + (i == 0 ? "" : "." + std::to_string(i)), "older");
    std::string message;
    ASSERT_EQ(StandInRegistryAttachFile(file, &message), StandInRegistryFileStatus::kCorrupt);
    EXPECT_EQ(WriteDword(kPath, u"Hotkey", 0x11), 1016);
    EXPECT_EQ(StandInRegistryTakeFileError(), "cannot move the damaged registry file " + file +
                                                  " aside: every name from " + file + ".bad to " +
                                                  file + ".bad.99 is taken");
    EXPECT_EQ(Read(file), "garbage");
    EXPECT_EQ(Read(file + ".bad.99"), "older");
}

// What this process does after another one rewrote the file.
enum class Action { kSetX, kDeleteB, kOpenA };

struct MergeCase {
    const char* what;
    std::string other; // the file as the other process left it; "" removes it
    Action action;
    std::string saved; // after this process's save, under the header
    std::string movedAside;
};

TEST_F(StandInRegistryFile, ASaveKeepsWhatAnotherProcessSavedMeanwhile) {
    const std::string kFirst = "[HKCU]\n[HKCU\\A]\n\"X\"=dword:00000001\n\"Y\"=dword:00000001\n"
                               "[HKCU\\B]\n";
    const MergeCase cases[] = {
        {"a value added", kFirst + "[HKCU\\A\\W]\n", Action::kSetX,
         "[HKCU]\n[HKCU\\A]\n\"X\"=dword:00000005\n\"Y\"=dword:00000001\n[HKCU\\A\\W]\n[HKCU\\B]\n",
         ""},
        {"the same value changed: this one wins",
         "[HKCU]\n[HKCU\\A]\n\"Y\"=dword:00000007\n\"X\"=dword:00000007\n", Action::kSetX,
         "[HKCU]\n[HKCU\\A]\n\"Y\"=dword:00000007\n\"X\"=dword:00000005\n", ""},
        {"a key below one this process deletes", kFirst + "[HKCU\\B\\Sub]\n\"Z\"=dword:00000002\n",
         Action::kDeleteB, "[HKCU]\n[HKCU\\A]\n\"X\"=dword:00000001\n\"Y\"=dword:00000001\n", ""},
        {"the file removed", "", Action::kSetX, "[HKCU]\n[HKCU\\A]\n\"X\"=dword:00000005\n", ""},
        {"the file damaged: moved aside, this process's keys kept", "garbage", Action::kSetX,
         "[HKCU]\n[HKCU\\A]\n\"X\"=dword:00000005\n\"Y\"=dword:00000001\n[HKCU\\B]\n", "garbage"},
        {"a key opened: what the other process saved is read",
         "[HKCU]\n[HKCU\\A]\n\"Y\"=dword:00000007\n", Action::kOpenA,
         "[HKCU]\n[HKCU\\A]\n\"Y\"=dword:00000007\n", ""},
    };
    for (const auto& c : cases) {
        ResetStandIns();
        std::filesystem::remove(file + ".bad");
        Write(file, kHeader + kFirst);
        std::string message;
        ASSERT_EQ(StandInRegistryAttachFile(file, &message), StandInRegistryFileStatus::kLoaded);
        if (c.other.empty())
            std::filesystem::remove(file);
        else
            Write(file, c.other == "garbage" ? c.other : kHeader + c.other);
        RegistryKey key = 0;
        if (c.action == Action::kSetX)
            StandInRegistrySetDword(kRootCurrentUser, u"A", u"X", 5);
        else if (c.action == Action::kDeleteB)
            StandInRegistryDeleteKey(kRootCurrentUser, u"B");
        else if (PlatformRegOpenKey(kRootCurrentUser, u"A", kKeyRead, &key) == 0)
            PlatformRegCloseKey(key);
        EXPECT_EQ(Read(file), kHeader + c.saved) << c.what;
        EXPECT_EQ(StandInRegistryToText(), kHeader + c.saved) << "the registry too: " << c.what;
        EXPECT_EQ(Read(file + ".bad"), c.movedAside.empty() ? "(missing)" : c.movedAside) << c.what;
    }
}

TEST_F(StandInRegistryFile, TwoProcessesSavingAtOnceLoseNothing) {
    constexpr int kEach = 40;
    std::string message;
    pid_t child = fork();
    ASSERT_GE(child, 0);
    const char16_t* mine = child == 0 ? u"Child" : u"Parent";
    StandInRegistryAttachFile(file, &message);
    bool saved = true;
    for (int i = 0; i < kEach; ++i) {
        StandInRegistrySetDword(kRootCurrentUser, mine, FromUtf8(std::to_string(i)), 1);
        saved = StandInRegistryTakeFileError().empty() && saved;
    }
    if (child == 0) _exit(saved ? 0 : 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(saved && WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_EQ(StandInRegistryAttachFile(file, &message), StandInRegistryFileStatus::kLoaded);
    EXPECT_EQ(StandInRegistryValueNames(kRootCurrentUser, u"Child").size(), size_t{kEach});
    EXPECT_EQ(StandInRegistryValueNames(kRootCurrentUser, u"Parent").size(), size_t{kEach});
}

TEST_F(StandInRegistryFile, EverySuccessfulWriteIsSavedAndReloaded) {
    std::string message;
    EXPECT_EQ(StandInRegistryAttachFile(file, &message), StandInRegistryFileStatus::kNew);
    EXPECT_EQ(message, "");
    EXPECT_EQ(Read(file), "(missing)");
    ASSERT_EQ(WriteDword(kPath, u"Hotkey", 0x11), 0);
    const std::string saved = Read(file);
    EXPECT_NE(saved.find("\"Hotkey\"=dword:00000011\n"), std::string::npos) << saved;

    StandInRegistryFailWrite(u"Overwrite", 5);
    ASSERT_EQ(WriteDword(kPath, u"Hotkey", 0x1003E), 0);
    EXPECT_EQ(WriteDword(kPath, u"Overwrite", 1), 5);
    EXPECT_NE(Read(file).find("\"Hotkey\"=dword:0001003e\n"), std::string::npos);

    ResetStandIns();
    EXPECT_EQ(StandInRegistryAttachFile(file, &message), StandInRegistryFileStatus::kLoaded);
    EXPECT_EQ(StandInRegistryGetValue(kRootCurrentUser, kPath, u"Hotkey").bytes,
              Bytes({0x3E, 0, 1, 0}));
    EXPECT_FALSE(StandInRegistryGetValue(kRootCurrentUser, kPath, u"Overwrite").exists);
    EXPECT_FALSE(std::filesystem::exists(file + ".tmp"));
}

struct DamagedCase {
    const char* what;
    bool directory;
    std::string contents;
    StandInRegistryFileStatus status;
    const char* problem; // what the message says between the file's name and "; starting"
};

TEST_F(StandInRegistryFile, DamagedFilesAreMovedAsideBeforeTheFirstSave) {
    const DamagedCase cases[] = {
        {"corrupt", false, "[HKCU\\Software]\nnonsense\n", StandInRegistryFileStatus::kCorrupt,
         "is corrupt (line 2)"},
        {"binary", false, std::string("\0\xFF\xFE", 3), StandInRegistryFileStatus::kCorrupt,
         "is corrupt (line 1)"},
        {"unreadable", true, "", StandInRegistryFileStatus::kUnreadable,
         "cannot be read (Is a directory)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        ResetStandIns();
        if (c.directory)
            std::filesystem::create_directory(file);
        else
            Write(file, c.contents);
        StandInRegistryCreateKey(kRootLocalMachine, u"Before");
        Write(file + ".bad", "older backup");
        std::string message;
        EXPECT_EQ(StandInRegistryAttachFile(file, &message), c.status) << c.what;
        EXPECT_NE(message.find(file), std::string::npos) << c.what;
        const std::string moved = " The file will be moved aside to " + file +
                                  ".bad (or the next free .bad.N) before anything is saved.";
        EXPECT_EQ(message, "The registry file " + file + " " + c.problem +
                               "; starting with an empty registry." + moved)
            << c.what;
        EXPECT_EQ(StandInRegistryToText().find('['), std::string::npos) << "empty: " << c.what;
        if (!c.directory) {
            EXPECT_EQ(Read(file), c.contents) << "not touched yet: " << c.what;
        }
        EXPECT_EQ(StandInRegistryBackupPath(), "");

        ASSERT_EQ(WriteDword(kPath, u"Hotkey", 0x11), 0) << c.what;
        EXPECT_EQ(StandInRegistryBackupPath(), file + ".bad.1") << c.what;
        EXPECT_EQ(Read(file + ".bad"), "older backup") << c.what;
        if (!c.directory)
            EXPECT_EQ(Read(file + ".bad.1"), c.contents) << c.what;
        else
            EXPECT_TRUE(std::filesystem::is_directory(file + ".bad.1")) << c.what;
        EXPECT_EQ(Read(file), StandInRegistryToText()) << c.what;
    }
}

TEST_F(StandInRegistryFile, AResetForgetsTheFileAndItsBackup) {
    const std::string corrupt = "[HKCU\\Software]\nnonsense\n";
    Write(file, corrupt);
    std::string message;
    ASSERT_EQ(StandInRegistryAttachFile(file, &message), StandInRegistryFileStatus::kCorrupt);
    StandInRegistrySetDword(kRootCurrentUser, kPath, u"Hotkey", 0x11);
    ASSERT_EQ(StandInRegistryBackupPath(), file + ".bad");
    const std::string saved = Read(file);

    ResetStandIns();
    EXPECT_EQ(StandInRegistryBackupPath(), "");
    StandInRegistrySetDword(kRootCurrentUser, kPath, u"Hotkey", 0x22);
    EXPECT_TRUE(StandInRegistrySaveFile(&message));
    EXPECT_EQ(message, "");
    EXPECT_EQ(Read(file), saved);
    EXPECT_EQ(Read(file + ".bad"), corrupt);
}

TEST_F(StandInRegistryFile, AWriteThatCannotReachTheFileFails) {
    std::string message;
    std::string lost = (dir / "no such dir" / "registry.txt").string();
    EXPECT_EQ(StandInRegistryAttachFile(lost, &message), StandInRegistryFileStatus::kNew);
    EXPECT_EQ(WriteDword(kPath, u"Hotkey", 0x11), 1016);
    EXPECT_FALSE(StandInRegistrySaveFile(&message));
    EXPECT_NE(message.find(lost), std::string::npos);
}

} // namespace
