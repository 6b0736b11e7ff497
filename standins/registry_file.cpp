// The text file of the registry stand-in: read when attached; after every change, under a lock,
// read again, given the change and written through a new file renamed onto it, so that two
// processes sharing it lose nothing of each other's; a damaged one moved aside, never deleted.
#include "standins/registry_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "standins/registry.h"
#include "standins/registry_disk.h"
#include "standins/registry_text.h"

namespace {

std::string filePath;
std::string backupPath;
std::string lastError;

bool Fail(const std::string& reason, std::string* message) {
    lastError = reason;
    if (message != nullptr) *message = reason;
    return false;
}

std::string CannotWrite(const std::string& file, const std::string& cause) {
    return "cannot write the registry file " + file + ": " + cause;
}

std::string NotRegular(const std::string& target) {
    return CannotWrite(target, "it is not a regular file");
}

// False, with the reason, when the file at target is one a save must leave alone.
bool MayReplace(const std::string& target, std::string* reason) {
    struct stat info {};
    if (stat(target.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return true;
    if (!S_ISREG(info.st_mode))
        *reason = NotRegular(target);
    else if ((info.st_mode & 0222) == 0)
        *reason =
            CannotWrite(target, std::string(std::strerror(EACCES)) + " (the file is read-only)");
    else if (access(target.c_str(), W_OK) != 0)
        *reason = CannotWrite(target, std::strerror(errno));
    else
        return true;
    return false;
}

// Moves the damaged file at target aside.
bool MoveAside(const std::string& target, std::string* message) {
    std::string moved;
    int error = RegistryDiskMoveAside(target, &moved);
    if (error == 0) {
        backupPath = moved;
        return true;
    }
    std::string why = error == EEXIST
                          ? "every name from " + RegistryDiskBackupName(target, 0) + " to " +
                                RegistryDiskBackupName(target, kRegistryDiskBackupNames - 1) +
                                " is taken"
                          : "cannot rename it to " + moved + " (" + std::strerror(error) + ")";
    return Fail("cannot move the damaged registry file " + target + " aside: " + why, message);
}

// The save itself, with the lock held.
bool SaveLocked(const std::string& target, const StandInRegistryChange* change,
                std::string* message) {
    std::string contents;
    struct stat info {};
    int error = 0, line = 0;
    StandInRegistryKeys keys;
    RegistryDiskRead found = RegistryDiskReadFile(target, &contents, &info, &error);
    if (found == RegistryDiskRead::kOther) return Fail(NotRegular(target), message);
    bool usable =
        found == RegistryDiskRead::kMissing ||
        (found == RegistryDiskRead::kRegular && StandInRegistryParseText(contents, &keys, &line));
    if (!usable) keys = StandInRegistryAllKeys(); // a damaged file: the registry stands in
    if (change != nullptr) StandInRegistryApplyChange(keys, *change);

    std::string temporary;
    error =
        RegistryDiskWriteBeside(target, StandInRegistryKeysText(keys),
                                found == RegistryDiskRead::kRegular ? &info : nullptr, &temporary);
    if (error != 0) return Fail(CannotWrite(target, std::strerror(error)), message);
    if (!usable && !MoveAside(target, message)) {
        unlink(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
        unlink(temporary.c_str());
        return Fail(CannotWrite(target, std::strerror(error)), message);
    }
    StandInRegistryReplaceKeys(std::move(keys));
    return true;
}

// The registry's commit while a file is attached: every change is saved before it is made.
bool CommitToFile(const StandInRegistryChange& change) {
    return StandInRegistrySaveChange(&change, nullptr);
}

} // namespace

std::string StandInRegistryToText() {
    return StandInRegistryKeysText(StandInRegistryAllKeys());
}

bool StandInRegistryFromText(const std::string& text, int* line) {
    StandInRegistryKeys loaded;
    if (!StandInRegistryParseText(text, &loaded, line)) return false;
    StandInRegistryReplaceKeys(std::move(loaded));
    return true;
}

StandInRegistryFileStatus StandInRegistryAttachFile(const std::string& path, std::string* message) {
    StandInRegistryReplaceKeys({});
    StandInRegistryDetachFile();
    filePath = path;
    if (!filePath.empty()) StandInRegistrySetCommit(CommitToFile, StandInRegistryDetachFile);
    message->clear();
    std::string contents, problem, target;
    struct stat info {};
    int error = 0, line = 0;
    RegistryDiskRead found = RegistryDiskReadFile(path, &contents, &info, &error);
    auto status = StandInRegistryFileStatus::kUnreadable;
    if (found == RegistryDiskRead::kMissing) {
        return StandInRegistryFileStatus::kNew;
    } else if (found == RegistryDiskRead::kDirectory) {
        problem = std::string("cannot be read (") + std::strerror(EISDIR) + ")";
    } else if (found == RegistryDiskRead::kOther) {
        problem = "is not a regular file";
    } else if (found == RegistryDiskRead::kFailed) {
        problem = std::string("cannot be read (") + std::strerror(error) + ")";
    } else if (!StandInRegistryFromText(contents, &line)) {
        problem = "is corrupt (line " + std::to_string(line) + ")";
        status = StandInRegistryFileStatus::kCorrupt;
    } else {
        return StandInRegistryFileStatus::kLoaded;
    }
    if (RegistryDiskFollowLinks(path, &target) != 0) target = path;
    *message = "The registry file " + path + " " + problem + "; starting with an empty registry.";
    if (found == RegistryDiskRead::kOther)
        *message += " Nothing is saved there.";
    else
        *message += " The file will be moved aside to " + target +
                    ".bad (or the next free .bad.N) before anything is saved.";
    return status;
}

bool StandInRegistryFileAttached() {
    return !filePath.empty();
}

bool StandInRegistrySaveChange(const StandInRegistryChange* change, std::string* message) {
    if (message != nullptr) message->clear();
    if (filePath.empty()) return true;
    std::string target, reason;
    if (int error = RegistryDiskFollowLinks(filePath, &target))
        return Fail(CannotWrite(filePath, std::strerror(error)), message);
    if (!MayReplace(target, &reason)) return Fail(reason, message);
    struct stat info {};
    mode_t mode =
        stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode) ? info.st_mode & 0666 : 0600;
    int lock = -1;
    if (int error = RegistryDiskLock(target, mode, &lock))
        return Fail(CannotWrite(target, "cannot take its lock " + target + ".lock (" +
                                            std::strerror(error) + ")"),
                    message);
    bool saved = SaveLocked(target, change, message);
    RegistryDiskUnlock(lock);
    return saved;
}

bool StandInRegistrySaveFile(std::string* message) {
    return StandInRegistrySaveChange(nullptr, message);
}

std::string StandInRegistryTakeFileError() {
    std::string taken;
    taken.swap(lastError);
    return taken;
}

const std::string& StandInRegistryBackupPath() {
    return backupPath;
}

void StandInRegistryDetachFile() {
    filePath.clear();
    backupPath.clear();
    lastError.clear();
    StandInRegistrySetCommit(nullptr, nullptr);
}
