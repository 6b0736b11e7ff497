// The kept files over plain POSIX calls, so that links, locks, modes and exclusive creation are
// under control.
#include "standins/kept_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

constexpr int kMostLinks = 40;
constexpr int kMostTemporaryNames = 100;
// How many names a damaged file may be moved to: path.bad, path.bad.1, ...
constexpr int kBackupNames = 100;
// A kept file is a few hundred bytes; anything far larger is not one.
constexpr off_t kLargestFile = 1 << 20;
// How often a save tries a lock another process holds.
constexpr auto kLockRetry = std::chrono::milliseconds(50);
constexpr int kLockTries = static_cast<int>(kKeptFileLockWaitSeconds * 1000 / kLockRetry.count());
// What following links returns for a link the system would not follow either.
constexpr int kNotFollowed = -1;

unsigned temporarySerial = 0;
std::function<bool()> waitInterrupted;

bool Missing(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) != 0 && errno == ENOENT;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// False for a link in a sticky folder anyone may write to that belongs neither to this user nor
// to the folder's owner: another user may have planted it there.
bool MayFollow(const std::string& link) {
    struct stat own {};
    struct stat folder {};
    if (lstat(link.c_str(), &own) != 0 || stat(FolderOf(link).c_str(), &folder) != 0) return false;
    bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return !shared || own.st_uid == geteuid() || own.st_uid == folder.st_uid;
}

// The file path names once symbolic links are followed (path itself when it is no link); 0, an
// errno, or kNotFollowed with target the link that is not followed.
int FollowLinks(const std::string& path, std::string* target) {
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
        if (!MayFollow(at)) {
            *target = at;
            return kNotFollowed;
        }
        std::string next(link, static_cast<size_t>(n));
        size_t slash = at.rfind('/');
        at = next[0] == '/' || slash == std::string::npos ? next : at.substr(0, slash + 1) + next;
    }
    return ELOOP;
}

std::string FollowCause(int error, const std::string& link) {
    if (error != kNotFollowed) return std::strerror(error);
    return "the link " + link +
           " is another user's, in a sticky folder anyone may write to: " + "it is not followed";
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

// Reads the file at path (info: its mode and owner) without waiting on a pipe or device; error
// is set for kFailed.
KeptFileRead ReadFile(const std::string& path, std::string* contents, struct stat* info,
                      int* error) {
    contents->clear();
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) return KeptFileRead::kMissing;
    if (fd < 0) {
        *error = errno;
        return KeptFileRead::kFailed;
    }
    KeptFileRead found = KeptFileRead::kFailed;
    if (fstat(fd, info) != 0)
        *error = errno;
    else if (S_ISDIR(info->st_mode))
        found = KeptFileRead::kDirectory;
    else if (!S_ISREG(info->st_mode))
        found = KeptFileRead::kOther;
    else if (info->st_size > kLargestFile)
        *error = EFBIG;
    else if ((*error = ReadAllFrom(fd, contents)) == 0)
        found = KeptFileRead::kRegular;
    close(fd);
    return found;
}

std::string ReadCause(KeptFileRead found, int error) {
    if (found == KeptFileRead::kDirectory) return std::strerror(EISDIR);
    if (found == KeptFileRead::kOther) return "it is not a regular file";
    return std::strerror(error);
}

// Takes the lock on path.lock, made with mode when missing; *fd holds it until it is closed.
// Another process's lock is waited for a bounded time: EWOULDBLOCK once that ran out, EINTR
// when the wait was interrupted.
int Lock(const std::string& path, mode_t mode, int* fd) {
    *fd = open((path + ".lock").c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
               mode);
    if (*fd < 0) return errno;
    for (int tries = 0;; ++tries) {
        if (flock(*fd, LOCK_EX | LOCK_NB) == 0) return 0;
        int error = errno;
        if (error == EINTR) continue;
        if (error == EWOULDBLOCK && tries < kLockTries) {
            if (waitInterrupted && waitInterrupted()) {
                error = EINTR;
            } else {
                std::this_thread::sleep_for(kLockRetry);
                continue;
            }
        }
        close(*fd);
        *fd = -1;
        return error;
    }
}

std::string LockCause(const std::string& path, int error) {
    std::string why = error == EWOULDBLOCK
                          ? "another process has held it for " +
                                std::to_string(kKeptFileLockWaitSeconds) + " seconds"
                      : error == EINTR ? "the wait for it was interrupted"
                                       : std::strerror(error);
    return "cannot take its lock " + path + ".lock (" + why + ")";
}

// Writes contents to a new file beside path: made exclusively and never through a link, with the
// mode and owner of existing (0600 when null), flushed to the disk. Nothing is left on failure.
int WriteBeside(const std::string& path, const std::string& contents, const struct stat* existing,
                std::string* temporary) {
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

std::string BackupName(const std::string& path, int index) {
    return path + ".bad" + (index == 0 ? "" : "." + std::to_string(index));
}

// Renames the damaged file at path to the first free backup name; the cause when it could not.
std::string MoveAside(const std::string& path, std::string* backup) {
    for (int i = 0; i < kBackupNames; ++i) {
        *backup = BackupName(path, i);
        if (!Missing(*backup)) continue;
        if (std::rename(path.c_str(), backup->c_str()) == 0) return "";
        return "cannot rename it to " + *backup + " (" + std::strerror(errno) + ")";
    }
    return "every name from " + BackupName(path, 0) + " to " + BackupName(path, kBackupNames - 1) +
           " is taken";
}

bool Fail(KeptFileOutcome* outcome, const std::string& file, const std::string& cause,
          bool movingAside = false) {
    outcome->file = file;
    outcome->cause = cause;
    outcome->movingAside = movingAside;
    return false;
}

// False, with the reason, when the file at target is one a save must leave alone.
bool MayReplace(const std::string& target, KeptFileOutcome* outcome) {
    struct stat info {};
    if (stat(target.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return true;
    if (!S_ISREG(info.st_mode)) return Fail(outcome, target, ReadCause(KeptFileRead::kOther, 0));
    if ((info.st_mode & 0222) == 0)
        return Fail(outcome, target,
                    std::string(std::strerror(EACCES)) + " (the file is read-only)");
    if (access(target.c_str(), W_OK) != 0) return Fail(outcome, target, std::strerror(errno));
    return true;
}

// The save itself, with the lock held.
bool SaveLocked(const std::string& target, bool moveAsideDamaged, const KeptFileMerge& merge,
                KeptFileOutcome* outcome) {
    std::string contents, text, temporary;
    struct stat info {};
    int error = 0;
    KeptFileRead found = ReadFile(target, &contents, &info, &error);
    bool unreadable = found == KeptFileRead::kDirectory || found == KeptFileRead::kFailed;
    if (found == KeptFileRead::kOther || (unreadable && !moveAsideDamaged))
        return Fail(outcome, target, ReadCause(found, error));
    bool usable = merge(found, contents, &text) && !unreadable;
    if (text.empty() && usable) {
        if (found == KeptFileRead::kRegular && unlink(target.c_str()) != 0)
            return Fail(outcome, target, std::strerror(errno));
        return true;
    }
    error =
        WriteBeside(target, text, found == KeptFileRead::kRegular ? &info : nullptr, &temporary);
    if (error != 0) return Fail(outcome, target, std::strerror(error));
    if (!usable) {
        std::string why = MoveAside(target, &outcome->backup);
        if (!why.empty()) {
            unlink(temporary.c_str());
            outcome->backup.clear();
            return Fail(outcome, target, why, true);
        }
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
        unlink(temporary.c_str());
        return Fail(outcome, target, std::strerror(error));
    }
    return true;
}

} // namespace

KeptFileRead KeptFileLoad(const std::string& path, std::string* target, std::string* contents,
                          std::string* cause) {
    contents->clear();
    int error = FollowLinks(path, target);
    if (error != 0) {
        *cause = FollowCause(error, *target);
        *target = path;
        return error == kNotFollowed ? KeptFileRead::kNotFollowed : KeptFileRead::kFailed;
    }
    struct stat info {};
    KeptFileRead found = ReadFile(*target, contents, &info, &error);
    if (found != KeptFileRead::kRegular && found != KeptFileRead::kMissing)
        *cause = ReadCause(found, error);
    return found;
}

bool KeptFileSave(const std::string& path, bool moveAsideDamaged, const KeptFileMerge& merge,
                  KeptFileOutcome* outcome) {
    *outcome = KeptFileOutcome{};
    std::string target;
    if (int error = FollowLinks(path, &target))
        return Fail(outcome, path, FollowCause(error, target));
    if (!MayReplace(target, outcome)) return false;
    struct stat info {};
    mode_t mode =
        stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode) ? info.st_mode & 0666 : 0600;
    int lock = -1;
    if (int error = Lock(target, mode, &lock))
        return Fail(outcome, target, LockCause(target, error));
    bool saved = SaveLocked(target, moveAsideDamaged, merge, outcome);
    close(lock); // closing the last descriptor releases the lock
    return saved;
}

void KeptFileWaitWith(std::function<bool()> interrupted) {
    waitInterrupted = std::move(interrupted);
}
