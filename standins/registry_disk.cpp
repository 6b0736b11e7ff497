// The file-system steps of saving the registry file, over plain POSIX calls so that links, locks,
// modes and exclusive creation are under control.
#include "standins/registry_disk.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

constexpr int kMostLinks = 40;
constexpr int kMostTemporaryNames = 100;
// A registry file is a few hundred bytes; anything far larger is not one.
constexpr off_t kLargestFile = 1 << 20;

unsigned temporarySerial = 0;

bool Missing(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) != 0 && errno == ENOENT;
}

int WriteAllTo(int fd, const std::string& contents) {
    size_t done = 0;
    while (done < contents.size()) {
        ssize_t n = write(fd, contents.data() + done, contents.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? errno : EIO;
        done += static_cast<size_t>(n);
    }
    return 0;
}

int ReadAllFrom(int fd, std::string* contents) {
    char chunk[4096];
    for (;;) {
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return 0;
        contents->append(chunk, static_cast<size_t>(n));
    }
}

} // namespace

int RegistryDiskFollowLinks(const std::string& path, std::string* target) {
    std::string at = path;
    for (int hops = 0; hops <= kMostLinks; ++hops) {
        char link[PATH_MAX];
        ssize_t n = readlink(at.c_str(), link, sizeof link);
        if (n < 0 && (errno == EINVAL || errno == ENOENT)) {
            *target = at;
            return 0;
        }
        if (n < 0) return errno;
        if (static_cast<size_t>(n) == sizeof link) return ENAMETOOLONG;
        std::string next(link, static_cast<size_t>(n));
        size_t slash = at.rfind('/');
        at = next[0] == '/' || slash == std::string::npos ? next : at.substr(0, slash + 1) + next;
    }
    return ELOOP;
}

RegistryDiskRead RegistryDiskReadFile(const std::string& path, std::string* contents,
                                      struct stat* info, int* error) {
    contents->clear();
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) return RegistryDiskRead::kMissing;
    if (fd < 0) {
        *error = errno;
        return RegistryDiskRead::kFailed;
    }
    RegistryDiskRead found = RegistryDiskRead::kFailed;
    if (fstat(fd, info) != 0)
        *error = errno;
    else if (S_ISDIR(info->st_mode))
        found = RegistryDiskRead::kDirectory;
    else if (!S_ISREG(info->st_mode))
        found = RegistryDiskRead::kOther;
    else if (info->st_size > kLargestFile)
        *error = EFBIG;
    else if ((*error = ReadAllFrom(fd, contents)) == 0)
        found = RegistryDiskRead::kRegular;
    close(fd);
    return found;
}

int RegistryDiskLock(const std::string& path, mode_t mode, int* fd) {
    *fd = open((path + ".lock").c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
               mode);
    if (*fd < 0) return errno;
    while (flock(*fd, LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        int error = errno;
        close(*fd);
        *fd = -1;
        return error;
    }
    return 0;
}

void RegistryDiskUnlock(int fd) {
    if (fd >= 0) close(fd); // closing the last descriptor releases the lock
}

int RegistryDiskWriteBeside(const std::string& path, const std::string& contents,
                            const struct stat* existing, std::string* temporary) {
    int fd = -1;
    for (int tries = 1; fd < 0; ++tries) {
        *temporary =
            path + ".tmp." + std::to_string(getpid()) + "." + std::to_string(temporarySerial++);
        fd = open(temporary->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && (errno != EEXIST || tries == kMostTemporaryNames)) return errno;
    }
    int error = 0;
    if (existing != nullptr) {
        // The owner where the system lets this process give it; the mode always.
        if (fchown(fd, existing->st_uid, existing->st_gid) != 0) {
        }
        if (fchmod(fd, existing->st_mode & 07777) != 0) error = errno;
    }
    if (error == 0) error = WriteAllTo(fd, contents);
    if (error == 0 && fsync(fd) != 0) error = errno;
    if (close(fd) != 0 && error == 0) error = errno;
    if (error != 0) unlink(temporary->c_str());
    return error;
}

std::string RegistryDiskBackupName(const std::string& path, int index) {
    return path + ".bad" + (index == 0 ? "" : "." + std::to_string(index));
}

int RegistryDiskMoveAside(const std::string& path, std::string* backup) {
    for (int i = 0; i < kRegistryDiskBackupNames; ++i) {
        *backup = RegistryDiskBackupName(path, i);
        if (Missing(*backup)) return std::rename(path.c_str(), backup->c_str()) == 0 ? 0 : errno;
    }
    return EEXIST;
}
