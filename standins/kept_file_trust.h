// The one rule for trusting what a kept file (standins/kept_file.h) is made of: the file, its
// lock, each link on the way to them and the folders that hold them. What another user could have
// put there or changed is refused, the way careful tools guard their configuration: a folder
// others may write to must be sticky; a link in such a folder must be the user's or the folder
// owner's, as the system itself follows only those; a file must be the user's or root's and
// writable by no one else.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

// What is wrong with what is at path, one phrase about it ("it belongs to user 1001, ...") that
// names any other file it is about; empty when it may be trusted. own: the status of path itself,
// a link not followed; null when nothing is there, and then only the folder is checked.
std::string KeptFileDistrust(const std::string& path, const struct stat* own);

// True for what belongs to the user or to root.
bool KeptFileOwnedByUserOrRoot(const struct stat& info);

// Whose files are trusted besides root's: this process's user until set otherwise, which lets a
// test running as root stand for another user.
void KeptFileTrustUser(uid_t user);

// The folder that holds path: "." for a bare name.
std::string KeptFileFolderOf(const std::string& path);
