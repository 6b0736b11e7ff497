// The text file the console keeps the registry stand-in in between runs: attaching, saving and
// moving aside a file that cannot be loaded. Its format is in standins/registry_text.h.
#pragma once

#include <string>

#include "standins/registry_text.h"

// Outcome of attaching a file.
enum class StandInRegistryFileStatus {
    kLoaded,     // the file was read
    kNew,        // there was no file; it is written on the first change
    kCorrupt,    // the file could not be understood; it is moved aside before the first save
    kUnreadable, // the file could not be read; it is moved aside before the first save
};

// Replaces the registry by the contents of the file at path and saves every later change
// there. A corrupt or unreadable file leaves the registry empty; message then says so.
StandInRegistryFileStatus StandInRegistryAttachFile(const std::string& path, std::string* message);
// Writes the registry to the attached file now; false (with a message) when that failed.
bool StandInRegistrySaveFile(std::string* message);
// The file a corrupt or unreadable one was moved to, empty until that happened.
const std::string& StandInRegistryBackupPath();
// Saves after a change when a file is attached; false when the file could not be written.
bool StandInRegistryPersist();
// Forgets the attached file and its backup; later changes stay in memory only.
void StandInRegistryDetachFile();
