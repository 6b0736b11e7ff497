// The text file of the registry stand-in, a kept file (standins/kept_file.h): read when attached
// and again whenever a key is opened; after every change, under its lock, read again, given the
// change and written back, so that two processes sharing it lose nothing of each other's; a
// damaged one moved aside, never deleted.
#include "standins/registry_file.h"

#include "standins/kept_file.h"
#include "standins/registry.h"
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

// The registry's commit while a file is attached: every change is saved before it is made.
bool CommitToFile(const StandInRegistryChange& change) {
    return StandInRegistrySaveChange(&change, nullptr);
}

// The registry's refresh while a file is attached: it holds what the file holds now, so that
// what another process saved is seen. A file that cannot be understood leaves it as it is.
void ReloadFile() {
    std::string target, contents, cause;
    StandInRegistryKeys keys;
    int line = 0;
    KeptFileRead found = KeptFileLoad(filePath, &target, &contents, &cause);
    if (found == KeptFileRead::kMissing ||
        (found == KeptFileRead::kRegular && StandInRegistryParseText(contents, &keys, &line)))
        StandInRegistryReplaceKeys(std::move(keys));
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
    if (!filePath.empty())
        StandInRegistrySetCommit(CommitToFile, StandInRegistryDetachFile, ReloadFile);
    message->clear();
    std::string contents, problem, target, cause;
    int line = 0;
    KeptFileRead found = KeptFileLoad(path, &target, &contents, &cause);
    auto status = StandInRegistryFileStatus::kUnreadable;
    if (found == KeptFileRead::kMissing) {
        return StandInRegistryFileStatus::kNew;
    } else if (found == KeptFileRead::kOther) {
        problem = "is not a regular file";
    } else if (found == KeptFileRead::kNotTrusted) {
        problem = "is not trusted (" + cause + ")";
        status = StandInRegistryFileStatus::kNotTrusted;
    } else if (found != KeptFileRead::kRegular) {
        problem = "cannot be read (" + cause + ")";
    } else if (!StandInRegistryFromText(contents, &line)) {
        problem = "is corrupt (line " + std::to_string(line) + ")";
        status = StandInRegistryFileStatus::kCorrupt;
    } else {
        return StandInRegistryFileStatus::kLoaded;
    }
    *message = "The registry file " + path + " " + problem + "; starting with an empty registry.";
    if (found == KeptFileRead::kOther || found == KeptFileRead::kNotTrusted)
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
    StandInRegistryKeys keys;
    auto merge = [&](KeptFileRead found, const std::string& contents, std::string* text) {
        int line = 0;
        bool usable =
            found == KeptFileRead::kMissing ||
            (found == KeptFileRead::kRegular && StandInRegistryParseText(contents, &keys, &line));
        if (!usable) keys = StandInRegistryAllKeys(); // a damaged file: the registry stands in
        if (change != nullptr) StandInRegistryApplyChange(keys, *change);
        *text = StandInRegistryKeysText(keys);
        return usable;
    };
    KeptFileOutcome outcome;
    if (!KeptFileSave(filePath, true, merge, &outcome))
        return Fail(outcome.movingAside
                        ? "cannot move the damaged registry file " + outcome.file +
                              " aside: " + outcome.cause
                        : "cannot write the registry file " + outcome.file + ": " + outcome.cause,
                    message);
    if (!outcome.backup.empty()) backupPath = outcome.backup;
    StandInRegistryReplaceKeys(std::move(keys));
    return true;
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
