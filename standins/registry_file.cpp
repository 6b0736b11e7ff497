// The text file of the registry stand-in: read when attached, saved through a temporary file
// after every change, and a file that cannot be loaded moved aside before it is overwritten.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "standins/registry.h"
#include "standins/registry_file.h"
#include "standins/utf8.h"
#include "text/chars.h"

namespace {

std::string filePath;
bool backupPending = false;
std::string backupPath;

bool ReadFile(const std::string& path, std::string* contents) {
    std::error_code ec;
    errno = 0;
    if (std::filesystem::is_directory(path, ec)) {
        errno = EISDIR;
        return false;
    }
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        contents->append(chunk, n);
    bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

bool WriteFile(const std::string& path, const std::string& contents) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool ok = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
    ok = std::fclose(file) == 0 && ok;
    return ok;
}

// True only when nothing at all is at path; a path that cannot be looked at is not missing.
bool Missing(const std::string& path) {
    std::error_code ec;
    return std::filesystem::symlink_status(path, ec).type() ==
           std::filesystem::file_type::not_found;
}

// Moves the file that could not be loaded to the first free FILE.bad, FILE.bad.1, ...
bool MoveAside(std::string* message) {
    if (Missing(filePath)) {
        backupPending = false; // gone meanwhile: nothing left to keep
        return true;
    }
    for (int i = 0; i < 100; ++i) {
        std::string candidate = filePath + ".bad" + (i == 0 ? "" : "." + std::to_string(i));
        if (!Missing(candidate)) continue;
        if (std::rename(filePath.c_str(), candidate.c_str()) != 0) break;
        backupPath = candidate;
        backupPending = false;
        return true;
    }
    *message = "Cannot move the registry file " + filePath +
               " aside; it is left as it is and nothing is saved.";
    return false;
}

} // namespace

StandInRegistryFileStatus StandInRegistryAttachFile(const std::string& path, std::string* message) {
    StandInRegistryReplaceKeys({});
    StandInRegistryDetachFile();
    filePath = path;
    message->clear();
    if (Missing(path)) return StandInRegistryFileStatus::kNew;
    std::string contents, problem;
    int line = 0;
    auto status = StandInRegistryFileStatus::kUnreadable;
    if (!ReadFile(path, &contents)) {
        problem = std::string("cannot be read (") + std::strerror(errno != 0 ? errno : EIO) + ")";
    } else if (!StandInRegistryFromText(contents, &line)) {
        problem = "is corrupt (line " + std::to_string(line) + ")";
        status = StandInRegistryFileStatus::kCorrupt;
    } else {
        return StandInRegistryFileStatus::kLoaded;
    }
    backupPending = true;
    *message = "The registry file " + path + " " + problem +
               "; starting with an empty registry. The file will be moved aside to " + path +
               ".bad (or the next free .bad.N) before anything is saved.";
    return status;
}

bool StandInRegistrySaveFile(std::string* message) {
    message->clear();
    if (filePath.empty()) return true;
    if (backupPending && !MoveAside(message)) return false;
    std::string temporary = filePath + ".tmp";
    if (!WriteFile(temporary, StandInRegistryToText()) ||
        std::rename(temporary.c_str(), filePath.c_str()) != 0) {
        *message = "Cannot write the registry file " + filePath + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

const std::string& StandInRegistryBackupPath() {
    return backupPath;
}

bool StandInRegistryPersist() {
    std::string ignored;
    return StandInRegistrySaveFile(&ignored);
}

void StandInRegistryDetachFile() {
    filePath.clear();
    backupPending = false;
    backupPath.clear();
}
