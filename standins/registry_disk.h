// The file-system steps of saving the registry file: following links to the file the user named,
// a lock beside it that every saving process takes, reading nothing but a regular file, writing
// a new file beside it that no link can redirect, and moving a damaged one aside. Each returns 0
// or the errno of what failed.
#pragma once

#include <sys/stat.h>

#include <string>

// The file path names once symbolic links are followed (path itself when it is no link).
int RegistryDiskFollowLinks(const std::string& path, std::string* target);

// What reading a path found there.
enum class RegistryDiskRead { kMissing, kRegular, kDirectory, kOther, kFailed };
// Reads the regular file at path (info: its mode and owner) without waiting on a pipe or device;
// error is set for kFailed.
RegistryDiskRead RegistryDiskReadFile(const std::string& path, std::string* contents,
                                      struct stat* info, int* error);

// Takes the lock on path.lock, made with mode when missing; *fd holds it until the unlock.
int RegistryDiskLock(const std::string& path, mode_t mode, int* fd);
void RegistryDiskUnlock(int fd);

// Writes contents to a new file beside path: made exclusively and never through a link, with the
// mode and owner of existing (0600 when null), flushed to the disk. Nothing is left on failure.
int RegistryDiskWriteBeside(const std::string& path, const std::string& contents,
                            const struct stat* existing, std::string* temporary);

// How many names a damaged file may be moved to: path.bad, path.bad.1, ...
constexpr int kRegistryDiskBackupNames = 100;
std::string RegistryDiskBackupName(const std::string& path, int index);
// Renames path to the first of those names that is free, named in backup; EEXIST when none is.
int RegistryDiskMoveAside(const std::string& path, std::string* backup);
