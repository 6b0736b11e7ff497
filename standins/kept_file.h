// A small text file kept between runs and shared by every process that saves it: read through
// the links that lead to it, and saved under a lock beside it that every saving process takes,
// after reading it again so that what another process saved meanwhile is kept. The new text goes
// to a file made beside the target, never through a link, with the old file's mode and owner, and
// is renamed onto it. What another user could have put there or changed is neither read nor
// written (standins/kept_file_trust.h).
#pragma once

#include <functional>
#include <string>

// What reading a kept file found there.
enum class KeptFileRead {
    kMissing,
    kRegular,
    kDirectory,
    kOther,      // no regular file or folder: a pipe, a device
    kFailed,     // it could not be read
    kNotTrusted, // the file, a link on the way to it or its folder is not to be trusted
};

// Reads the kept file at path. target: the file path names once links are followed (path itself
// when that failed); cause: why it is no regular file that could be read, or is not trusted.
KeptFileRead KeptFileLoad(const std::string& path, std::string* target, std::string* contents,
                          std::string* cause);

// Makes the text to save from the file as the lock found it (contents: its text when regular);
// false when that text is damaged: the file is then moved aside before the new one takes its
// place. An empty text removes the file.
using KeptFileMerge =
    std::function<bool(KeptFileRead found, const std::string& contents, std::string* text)>;

struct KeptFileOutcome {
    std::string file;   // the file a failure is about
    std::string cause;  // why the save failed
    bool movingAside;   // the failure came while moving a damaged file aside
    std::string backup; // where a damaged file was moved
};

// Saves the kept file at path with the text merge makes, first removing the temporaries of saves
// whose process died. A folder or an unreadable file there is damaged when moveAsideDamaged, else
// it is refused; a file, lock or folder that is not trusted is refused. False, with the reason in
// outcome, when nothing was saved.
bool KeptFileSave(const std::string& path, bool moveAsideDamaged, const KeptFileMerge& merge,
                  KeptFileOutcome* outcome);

// Replaces the file at path by text as a save writes it, for a file that is not kept (a scenario
// the runner updates): links followed, a read-only file or one that is no regular file refused,
// the text in a new file made exclusively beside the target and renamed onto it, nothing left
// behind on failure. No lock, no merge, no trust rule. False, with the reason in outcome.
bool KeptFileReplace(const std::string& path, const std::string& text, KeptFileOutcome* outcome);

// Makes the missing folders on the way to the file at path, each the user's alone: a folder
// others may write to would make the files in it untrusted.
void KeptFileMakeFolders(const std::string& path);

// How long a save waits for a lock another process holds before it gives up.
constexpr int kKeptFileLockWaitSeconds = 5;
// Asked while a save waits for a lock; true ends the wait. Null: nothing ends it but the time.
void KeptFileWaitWith(std::function<bool()> interrupted);
