// The text file the console keeps the registry stand-in in between runs: attaching, reading it
// again whenever a key is opened, saving every change merged with what other processes saved,
// and moving aside a file that cannot be loaded. Its format is in standins/registry_text.h; how it
// is read and saved in standins/kept_file.h.
#pragma once

#include <string>

#include "standins/registry.h"

// The text of the registry's keys, as a file of it holds them.
std::string StandInRegistryToText();
// The registry replaced by the text's keys; left unchanged when the text is not understood
// (false, and line, the 1-based number of the first bad line).
bool StandInRegistryFromText(const std::string& text, int* line);

// Outcome of attaching a file.
enum class StandInRegistryFileStatus {
    kLoaded,     // the file was read
    kNew,        // there was no file; it is written on the first change
    kCorrupt,    // the file could not be understood; it is moved aside before the first save
    kUnreadable, // the file could not be read; moved aside before the first save unless it is
                 // no regular file or folder: that is never written
    kNotTrusted, // the file, its folder or a link to it may be another user's doing: it is
                 // neither read nor written
};

// Replaces the registry by the contents of the file at path and saves every later change
// there, through the commit it installs in the registry. A corrupt, unreadable or untrusted file
// leaves the registry empty, as with no file; message then says so in one line.
StandInRegistryFileStatus StandInRegistryAttachFile(const std::string& path, std::string* message);
// True while a file is attached.
bool StandInRegistryFileAttached();
// Makes change (none when null) in the file's keys as they are now, under the lock every saving
// process takes, writes them back and makes them the registry's. False, with both unchanged and
// the reason in message (when not null) and StandInRegistryTakeFileError, when that failed.
bool StandInRegistrySaveChange(const StandInRegistryChange* change, std::string* message);
// Saves with no change: the file and the registry are brought together now.
bool StandInRegistrySaveFile(std::string* message);
// The reason the last failed save gave, one line naming the file; empty once taken.
std::string StandInRegistryTakeFileError();
// The file a corrupt or unreadable one was moved to, empty until that happened.
const std::string& StandInRegistryBackupPath();
// Forgets the attached file, its backup and its error, and takes the commit out of the registry;
// later changes stay in memory only. A reset of the registry does this too.
void StandInRegistryDetachFile();
