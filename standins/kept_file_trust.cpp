// The trust rule over the status the system reports; the folder is looked at by its path, the
// file through what the caller found (from the descriptor it opened, where it opened one).
#include "standins/kept_file_trust.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

uid_t trustedUser = geteuid();

std::string ModeOf(const struct stat& info) {
    char mode[16];
    std::snprintf(mode, sizeof mode, "mode %04o", static_cast<unsigned>(info.st_mode & 07777));
    return mode;
}

} // namespace

bool KeptFileOwnedByUserOrRoot(const struct stat& info) {
    return info.st_uid == trustedUser || info.st_uid == 0;
}

std::string KeptFileDistrust(const std::string& path, const struct stat* own) {
    std::string folderPath = KeptFileFolderOf(path);
    struct stat folder {};
    if (stat(folderPath.c_str(), &folder) != 0) {
        // No folder yet: nothing is there to distrust, and a save makes it the user's.
        if (own == nullptr) return "";
        return "cannot check its folder " + folderPath + " (" + std::strerror(errno) + ")";
    }
    // The folder's owner may always write to it, whatever its mode says.
    bool othersWrite =
        (folder.st_mode & (S_IWGRP | S_IWOTH)) != 0 || !KeptFileOwnedByUserOrRoot(folder);
    if (othersWrite && (folder.st_mode & S_ISVTX) == 0)
        return "its folder " + folderPath + " may be written by others and is not sticky (" +
               ModeOf(folder) + ")";
    if (own == nullptr) return "";
    if (S_ISLNK(own->st_mode)) {
        if (!othersWrite || own->st_uid == trustedUser || own->st_uid == folder.st_uid) return "";
        return "the link " + path +
               " is another user's, in a sticky folder others may write to: it is not followed";
    }
    if (!KeptFileOwnedByUserOrRoot(*own))
        return "it belongs to user " + std::to_string(own->st_uid) +
               ", who is neither you nor root";
    if ((own->st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return "others than its owner may write to it (" + ModeOf(*own) + ")";
    return "";
}

void KeptFileTrustUser(uid_t user) {
    trustedUser = user;
}

std::string KeptFileFolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}
