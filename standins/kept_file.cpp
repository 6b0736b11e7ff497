// The kept files over plain POSIX calls, so that links, locks, modes and exclusive creation are
// under control.
#include "standins/kept_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "standins/kept_file_trust.h"

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
// What following links returns for a link the trust rule refuses.
constexpr int kLinkNotTrusted = -1;
// The longest process id and serial number in a temporary's name "FILE.tmp.PID.N".
constexpr size_t kPidDigits = 9;
constexpr size_t kSerialDigits = 10;
constexpr const char* kNotRegular = "it is not a regular file";

unsigned temporarySerial = 0;
std::function<bool()> waitInterrupted;

bool Missing(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) != 0 && errno == ENOENT;
}

// The file path names once symbolic links are followed (path itself when it is no link), each
// link first put to the trust rule when trusting; 0, an errno, or kLinkNotTrusted, with the cause.
int FollowLinks(const std::string& path, bool trusting, std::string* target, std::string* cause) {
    std::string at = path;
    for (int hops = 0; hops <= kMostLinks; ++hops) {
        char link[PATH_MAX];
        ssize_t n = readlink(at.c_str(), link, sizeof link);
        int error = n < 0 ? errno : static_cast<size_t>(n) == sizeof link ? ENAMETOOLONG : 0;
        if (error == EINVAL || error == ENOENT) {
            *target = at;
            return 0;
        }
        struct stat own {};
        if (error == 0 && trusting && lstat(at.c_str(), &own) != 0) error = errno;
        if (error != 0) {
            *cause = std::strerror(error);
            return error;
        }
        if (trusting && !(*cause = KeptFileDistrust(at, &own)).empty()) {
            *target = at;
            return kLinkNotTrusted;
        }
        std::string next(link, static_cast<size_t>(n));
        size_t slash = at.rfind('/');
        at = next[0] == '/' || slash == std::string::npos ? next : at.substr(0, slash + 1) + next;
    }
    *cause = std::strerror(ELOOP);
    return ELOOP;
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

// Reads the file at path (info: its mode and owner) without waiting on a pipe or device, once the
// trust rule lets it; cause: why it is no regular file that could be read, or is not trusted.
KeptFileRead ReadFile(const std::string& path, std::string* contents, struct stat* info,
                      std::string* cause) {
    contents->clear();
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        *cause = KeptFileDistrust(path, nullptr);
        return cause->empty() ? KeptFileRead::kMissing : KeptFileRead::kNotTrusted;
    }
    if (fd < 0) {
        *cause = std::strerror(errno);
        return KeptFileRead::kFailed;
    }
    KeptFileRead found = KeptFileRead::kFailed;
    if (fstat(fd, info) != 0) {
        *cause = std::strerror(errno);
    } else if (!(*cause = KeptFileDistrust(path, info)).empty()) {
        found = KeptFileRead::kNotTrusted;
    } else if (S_ISDIR(info->st_mode)) {
        found = KeptFileRead::kDirectory;
        *cause = std::strerror(EISDIR);
    } else if (!S_ISREG(info->st_mode)) {
        found = KeptFileRead::kOther;
        *cause = kNotRegular;
    } else if (info->st_size > kLargestFile) {
        *cause = std::strerror(EFBIG);
    } else if (int error = ReadAllFrom(fd, contents)) {
        *cause = std::strerror(error);
    } else {
        found = KeptFileRead::kRegular;
    }
    close(fd);
    return found;
}

std::string LockCause(const std::string& path, const std::string& why) {
    return "cannot take its lock " + path + ".lock (" + why + ")";
}

std::string LockCause(const std::string& path, int error) {
    return LockCause(path, error == EWOULDBLOCK
                               ? "another process has held it for " +
                                     std::to_string(kKeptFileLockWaitSeconds) + " seconds"
                           : error == EINTR ? "the wait for it was interrupted"
                                            : std::strerror(error));
}

// Takes the lock on path.lock, made with mode when missing and put to the trust rule; *fd holds
// it until it is closed. Another process's lock is waited for a bounded time. Empty, or why the
// lock was not taken.
std::string Lock(const std::string& path, mode_t mode, int* fd) {
    std::string lock = path + ".lock";
    *fd = open(lock.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, mode);
    if (*fd < 0) return LockCause(path, errno);
    struct stat info {};
    std::string why = fstat(*fd, &info) != 0 ? LockCause(path, errno) : "";
    if (why.empty() && !(why = KeptFileDistrust(lock, &info)).empty()) why = LockCause(path, why);
    for (int tries = 0; why.empty(); ++tries) {
        if (flock(*fd, LOCK_EX | LOCK_NB) == 0) return "";
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
        why = LockCause(path, error);
    }
    close(*fd);
    *fd = -1;
    return why;
}

// The process id in the end of a temporary's name, "PID.N" as WriteBeside makes it; false for
// anything else.
bool TemporaryPid(const std::string& end, pid_t* pid) {
    auto digits = [](const std::string& text, size_t most) {
        return !text.empty() && text.size() <= most &&
               text.find_first_not_of("0123456789") == std::string::npos;
    };
    size_t dot = end.find('.');
    if (dot == std::string::npos || !digits(end.substr(0, dot), kPidDigits) ||
        !digits(end.substr(dot + 1), kSerialDigits))
        return false;
    *pid = static_cast<pid_t>(std::stol(end.substr(0, dot)));
    return *pid > 0;
}

// Removes the temporaries that saves of target left when their process died during the save (a
// kill, a crash): regular files of the user or root named as WriteBeside names them, for a
// process no longer running. Called with the lock held, so no save of target is under way.
void RemoveStaleTemporaries(const std::string& target) {
    size_t slash = target.rfind('/');
    std::string start = target.substr(slash == std::string::npos ? 0 : slash + 1) + ".tmp.";
    DIR* folder = opendir(KeptFileFolderOf(target).c_str());
    if (folder == nullptr) return;
    while (const dirent* entry = readdir(folder)) {
        std::string name = entry->d_name;
        pid_t pid = 0;
        if (name.compare(0, start.size(), start) != 0 ||
            !TemporaryPid(name.substr(start.size()), &pid) || pid == getpid() ||
            kill(pid, 0) == 0 || errno != ESRCH)
            continue;
        struct stat info {};
        if (fstatat(dirfd(folder), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && KeptFileOwnedByUserOrRoot(info))
            unlinkat(dirfd(folder), name.c_str(), 0);
    }
    closedir(folder);
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

// Puts the temporary in target's place; 0, or the errno with the temporary removed.
int RenameOnto(const std::string& temporary, const std::string& target) {
    if (std::rename(temporary.c_str(), target.c_str()) == 0) return 0;
    int error = errno;
    unlink(temporary.c_str());
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
    if (!S_ISREG(info.st_mode)) return Fail(outcome, target, kNotRegular);
    if ((info.st_mode & 0222) == 0)
        return Fail(outcome, target,
                    std::string(std::strerror(EACCES)) + " (the file is read-only)");
    if (access(target.c_str(), W_OK) != 0) return Fail(outcome, target, std::strerror(errno));
    return true;
}

// The save itself, with the lock held.
bool SaveLocked(const std::string& target, bool moveAsideDamaged, const KeptFileMerge& merge,
                KeptFileOutcome* outcome) {
    RemoveStaleTemporaries(target);
    std::string contents, text, temporary, cause;
    struct stat info {};
    KeptFileRead found = ReadFile(target, &contents, &info, &cause);
    bool unreadable = found == KeptFileRead::kDirectory || found == KeptFileRead::kFailed;
    if (found == KeptFileRead::kOther || found == KeptFileRead::kNotTrusted ||
        (unreadable && !moveAsideDamaged))
        return Fail(outcome, target, cause);
    bool usable = merge(found, contents, &text) && !unreadable;
    if (text.empty() && usable) {
        if (found == KeptFileRead::kRegular && unlink(target.c_str()) != 0)
            return Fail(outcome, target, std::strerror(errno));
        return true;
    }
    int error =
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
    if ((error = RenameOnto(temporary, target)) != 0)
        return Fail(outcome, target, std::strerror(error));
    return true;
}

} // namespace

KeptFileRead KeptFileLoad(const std::string& path, std::string* target, std::string* contents,
                          std::string* cause) {
    contents->clear();
    int error = FollowLinks(path, true, target, cause);
    if (error != 0) {
        *target = path;
        return error == kLinkNotTrusted ? KeptFileRead::kNotTrusted : KeptFileRead::kFailed;
    }
    struct stat info {};
    return ReadFile(*target, contents, &info, cause);
}

bool KeptFileSave(const std::string& path, bool moveAsideDamaged, const KeptFileMerge& merge,
                  KeptFileOutcome* outcome) {
    *outcome = KeptFileOutcome{};
    std::string target, cause;
    if (FollowLinks(path, true, &target, &cause) != 0) return Fail(outcome, path, cause);
    // Checked before the lock is made beside it; the file itself again under the lock.
    struct stat info {};
    bool exists = lstat(target.c_str(), &info) == 0;
    if (!(cause = KeptFileDistrust(target, exists ? &info : nullptr)).empty())
        return Fail(outcome, target, cause);
    if (!MayReplace(target, outcome)) return false;
    mode_t mode = exists && S_ISREG(info.st_mode) ? info.st_mode & 0666 : 0600;
    int lock = -1;
    if (!(cause = Lock(target, mode, &lock)).empty()) return Fail(outcome, target, cause);
    bool saved = SaveLocked(target, moveAsideDamaged, merge, outcome);
    close(lock); // closing the last descriptor releases the lock
    return saved;
}

bool KeptFileReplace(const std::string& path, const std::string& text, KeptFileOutcome* outcome) {
    *outcome = KeptFileOutcome{};
    std::string target, cause, temporary;
    if (FollowLinks(path, false, &target, &cause) != 0) return Fail(outcome, path, cause);
    if (!MayReplace(target, outcome)) return false;
    struct stat info {};
    bool regular = stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    int error = WriteBeside(target, text, regular ? &info : nullptr, &temporary);
    if (error == 0) error = RenameOnto(temporary, target);
    return error == 0 || Fail(outcome, target, std::strerror(error));
}

void KeptFileMakeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0700);
}

void KeptFileWaitWith(std::function<bool()> interrupted) {
    waitInterrupted = std::move(interrupted);
}
